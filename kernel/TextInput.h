// The kernel text input file (".vk1") and the test calculation from it.
//
// The file walks the input part of the model record in a fixed order, one
// group after the other, each group a count followed by its entries. It is
// single-byte text in the Windows code page 1252: numbers are separated by
// white space, texts stand between the bytes 0xAE and 0xAF. Texts are turned
// into UTF-8 when read and back into the code page when written, so that a
// UTF-8 sequence can never be taken for a delimiter.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "kernel/KernelPhases.h"
#include "kernel/ModelRecord.h"

namespace tovik {

// Delimiters of a text in the file.
inline constexpr unsigned char kVk1TextStart = 0xAE;
inline constexpr unsigned char kVk1TextEnd = 0xAF;
// A text holds at most this many bytes between its delimiters.
inline constexpr size_t kVk1MaxTextBytes = 100;

// Reader over the bytes of a ".vk1" file: formatted input of integers,
// single-precision reals, delimited texts and words. A failed read leaves
// its target untouched and marks the reader as failed; every later read then
// fails as well, so the fields after the failure point keep what they held.
class KernelTextInput {
public:
    explicit KernelTextInput(std::string bytes) : data_(std::move(bytes)) {}

    bool ReadInt(int32_t& v);
    bool ReadFloat(float& v);
    // A text between 0xAE and 0xAF, converted to UTF-8 (raw bytes, without
    // the delimiters, in *raw when given).
    bool ReadText(std::string& utf8, std::string* raw = nullptr);
    // A word up to the next white space, converted to UTF-8.
    bool ReadWord(std::string& utf8);

    bool Failed() const { return failed_; }
    // Byte offset of the reader (for messages).
    size_t Offset() const { return pos_; }
    // The word that stood where a number was expected but none was ("x1.07",
    // "1.07abc", "nan"); empty when no number read has failed on a word.
    const std::string& BadNumber() const { return badNumber_; }

private:
    void SkipSpace();
    template <class T>
    bool ReadNumber(T& v);
    bool Fail() {
        failed_ = true;
        return false;
    }
    std::string data_;
    size_t pos_ = 0;
    bool failed_ = false;
    std::string badNumber_;
};

// Code page 1252 <-> UTF-8. Bytes without a character in the code page are
// kept as the character of the same number; characters that the code page
// cannot hold become '?'.
std::string Cp1252ToUtf8(std::string_view bytes);
std::string Utf8ToCp1252(std::string_view utf8);

// Reads (mode 1) or writes (mode 0, version 2) the file into or from the
// model record of the run. Returns 0; 2 when no file is given; on reading,
// a fault code when the file breaks the record's limits (the run is then
// stopped with an error line that names the fault) or ends early (an error
// line; the fields after the failure point keep what they held).
int32_t ReadWriteVk1(std::FILE* file, int32_t mode, RunState& run);

// Writes the model record as a ".vk1" file of version 1 (with the old
// combination terms, ending after the report switches) or 2.
int32_t WriteVk1(std::FILE* file, RunState& run, int32_t version);

// Reads one delimited text into the field. 0, or -1 when the reader or the
// field is missing or no text could be read.
int32_t ReadVk1String(KernelTextInput* in, std::string* field);

// The test calculation of "<baseName>.vk1": reads the file, runs the whole
// calculation with the error file "<baseName>.err" and the debug print file
// "<baseName>.dru" and always writes the report. Registered as the run
// driver's CalcTestCase.
void CalcTestCase(RunState& run, const KernelPhases& phases, const std::string& baseName);

}  // namespace tovik
