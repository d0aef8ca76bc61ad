// The kernel text input against broken numbers and mutated files: a number
// that is not one whole, finite number stops the run with the word named;
// no mutation of a real input crashes or hangs the reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "kernel/ModelRecord.h"
#include "kernel/TextInput.h"
#include "testsupport/scratch.h"

namespace fs = std::filesystem;
using namespace tovik;

namespace {

std::string ExampleInput() {
    std::ifstream f(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vk1", std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

class Vk1UnusualInput : public ::testing::Test {
protected:
    // A folder of this test, current while the test runs.
    test_support::ScratchDir scratch_{"vk1_unusual_" + std::to_string(::getpid()) + "_" +
                                      ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    // Reads the bytes as a text input file into a fresh run.
    static std::unique_ptr<RunState> Read(const std::string& bytes, int32_t& rc) {
        std::ofstream("probe.vk1", std::ios::binary | std::ios::trunc) << bytes;
        auto run = std::make_unique<RunState>();
        run->RunBaseName = "probe";
        std::FILE* f = std::fopen("probe.vk1", "r");
        EXPECT_NE(f, nullptr);
        rc = f ? ReadWriteVk1(f, 1, *run) : -1;
        if (f) std::fclose(f);
        return run;
    }

};

}  // namespace

TEST_F(Vk1UnusualInput, TheExampleReadsWithoutFault) {
    int32_t rc = -1;
    auto run = Read(ExampleInput(), rc);
    EXPECT_EQ(rc, 0);
    EXPECT_FALSE(run->stopped) << run->ErrorLines;
}

// The real of the first line ("8.00") replaced by words that are no number.
TEST_F(Vk1UnusualInput, AWordThatIsNoNumberStopsTheRunAndIsNamed) {
    const std::string example = ExampleInput();
    const size_t at = example.find("8.00");
    ASSERT_NE(at, std::string::npos);
    for (const std::string word : {"x1.07", "1.07abc", "nan", "inf", "-inf", "1e99", "1,5"}) {
        SCOPED_TRACE(word);
        std::string bytes = example;
        bytes.replace(at, 4, word);
        int32_t rc = 0;
        auto run = Read(bytes, rc);
        EXPECT_NE(rc, 0);
        EXPECT_TRUE(run->stopped);
        EXPECT_NE(run->ErrorLines.find("\"" + word + "\" ist keine gültige Zahl"), std::string::npos)
            << run->ErrorLines;
    }
    // An integer with a tail is no integer either.
    std::string bytes = example;
    bytes.replace(example.find("    2"), 5, "   2x");
    int32_t rc = 0;
    auto run = Read(bytes, rc);
    EXPECT_TRUE(run->stopped);
    EXPECT_NE(run->ErrorLines.find("\"2x\""), std::string::npos) << run->ErrorLines;
}

// A bounded mutation run with a fixed seed: every mutant is read to its end
// or refused, never a crash (the sanitizers watch) or a hang (time bound).
TEST_F(Vk1UnusualInput, MutatedInputsAreReadOrRefused) {
    const std::string example = ExampleInput();
    ASSERT_FALSE(example.empty());
    std::mt19937 rng(53);
    const char alphabet[] = "0123456789.-+eE \n\t\xae\xaf" "abcnanif";
    const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int runs = 0, refused = 0;
    for (; runs < 600 && std::chrono::steady_clock::now() < stop; ++runs) {
        std::string bytes = example;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < edits && !bytes.empty(); ++k) {
            const size_t pos = rng() % bytes.size();
            switch (rng() % 4) {
                case 0: bytes[pos] = alphabet[rng() % (sizeof alphabet - 1)]; break;
                case 1: bytes.erase(pos, 1 + rng() % 6); break;
                case 2: bytes.insert(pos, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
                default: bytes.resize(pos); break;
            }
        }
        int32_t rc = 0;
        auto run = Read(bytes, rc);
        if (run->stopped) {
            ++refused;
            EXPECT_NE(rc, 0) << "a stopped run reports a fault";
        }
    }
    EXPECT_GT(runs, 20);
    EXPECT_GT(refused, 0);
}
