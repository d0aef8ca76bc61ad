// The RTF report writer. One document per process. Opening writes the
// document's prologue (font table, colour table, style sheet, page setup and
// page header) into a temporary file beside the target; the calls stream the
// body into it through a buffer of fixed size, so that memory does not grow
// with the report. Closing ends the file and renames it over the target. When
// the prologue has changed meanwhile (an appended document brought fonts or
// colours of its own), closing writes a new prologue and copies the body
// after it.
#include "platform/zadevoz/zadevoz.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/winsys/winsys.h"
#include "platform/zadevoz/rtf_text.h"

namespace fs = std::filesystem;

namespace zadevoz {
namespace {

using detail::EscapePlain;
using detail::EscapeRtf;

constexpr double kTwipsPerCm = 1440.0 / 2.54;
constexpr int kTextWidthTwips = 9638;  // A4 less 2 x 2 cm margins
const char* const kCaption = "VKT Ausgabe";
const char* const kSettingsKey = "software\\VKT\\velor2005\\zadevoz";

struct Table {
    bool open = false;
    std::vector<int> rightEdges;  // twips, one per column
    std::vector<std::string> row;  // cells of the row being filled
    bool header = false;
};

// The temporary file of the open document, beside the target (so that the
// final rename stays within one file system). Removed when dropped.
class TempFile {
public:
    TempFile() = default;
    TempFile(TempFile&& o) noexcept { *this = std::move(o); }
    TempFile& operator=(TempFile&& o) noexcept {
        if (this != &o) {
            Drop();
            fd_ = o.fd_;
            path_ = std::move(o.path_);
            o.fd_ = -1;
            o.path_.clear();
        }
        return *this;
    }
    ~TempFile() { Drop(); }

    // A new file of the system's pattern for temporary files beside a file
    // (a short name whatever the target's length; the litter of a killed run
    // is recognised by the next one), created with the usual permissions
    // (the process's umask applies).
    bool Create(const std::string& target) {
        Drop();
        // Numbers of their own, apart from those of the document saves of
        // this process, which take the same pattern in the same folders.
        static std::atomic<unsigned> serial{1u << 20};
        const fs::path folder = fs::path(target).parent_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = winsys::TempFileBeside(folder, serial++).string();
            int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                fd_ = fd;
                path_ = std::move(name);
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }
    // Writes all bytes; false on any failure.
    bool Write(const char* data, size_t n) {
        while (n > 0) {
            ssize_t w = ::write(fd_, data, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            data += w;
            n -= static_cast<size_t>(w);
        }
        return true;
    }
    // Closes the file and renames it over the target.
    bool CommitAs(const std::string& target) {
        if (fd_ < 0) return false;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!closed) return false;
        std::error_code ec;
        fs::rename(path_, target, ec);
        if (ec) return false;
        path_.clear();
        return true;
    }
    const std::string& Path() const { return path_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    void Drop() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (!path_.empty()) {
            std::error_code ec;
            fs::remove(path_, ec);
        }
        path_.clear();
    }
    int fd_ = -1;
    std::string path_;
};

// The body of the open document: appended text collects in a buffer of fixed
// size that goes to the temporary file whenever it is full. A write failure
// is remembered and reported at the close.
class Body {
public:
    static constexpr size_t kBuffer = 256 * 1024;

    // The body goes to file, or with memory to the end of that text.
    void Start(TempFile* file, size_t offset, std::string* memory = nullptr) {
        file_ = file;
        memory_ = memory;
        offset_ = offset;
        written_ = 0;
        failed_ = false;
        error_ = 0;
        buf_.clear();
        buf_.reserve(kBuffer);
    }
    Body& operator+=(std::string_view text) {
        if (divert_) {
            divert_->append(text);
            return *this;
        }
        if (buf_.size() + text.size() > kBuffer) Flush();
        if (text.size() >= kBuffer) {
            Put(text.data(), text.size());
        } else {
            buf_.append(text);
        }
        return *this;
    }
    Body& operator+=(char c) { return *this += std::string_view(&c, 1); }
    // Room for n bytes that the caller fills at once (it must fill all n).
    char* Extend(size_t n) {
        if (divert_) {
            const size_t at = divert_->size();
            divert_->resize(at + n);
            return divert_->data() + at;
        }
        if (buf_.size() + n > kBuffer) Flush();
        const size_t at = buf_.size();
        buf_.resize(at + n);
        return buf_.data() + at;
    }
    // Sends the buffer to the file.
    void Flush() {
        if (!buf_.empty()) Put(buf_.data(), buf_.size());
        buf_.clear();
        if (buf_.capacity() > 4 * kBuffer) {
            buf_.shrink_to_fit();
            buf_.reserve(kBuffer);
        }
    }
    // While a picture is still being made, what is written after it waits
    // in target (nullptr: written in order again).
    void Divert(std::string* target) { divert_ = target; }
    bool Failed() const { return failed_; }
    // The system's error number of the failed write (0 when unknown).
    int Error() const { return error_; }
    size_t Offset() const { return offset_; }
    size_t Size() const { return written_ + buf_.size(); }

private:
    void Put(const char* data, size_t n) {
        if (memory_) {
            memory_->append(data, n);
        } else if (!failed_ && !(file_ && file_->Write(data, n))) {
            failed_ = true;
            error_ = errno;
        }
        written_ += n;
    }
    TempFile* file_ = nullptr;
    std::string* memory_ = nullptr;
    std::string* divert_ = nullptr;
    size_t offset_ = 0;   // where the body starts in the file
    size_t written_ = 0;  // body bytes handed to the file
    bool failed_ = false;
    int error_ = 0;
    std::string buf_;
};

// Pictures whose bytes are made on a thread of the document's own while the
// document is written on: each job runs in turn, the writer waits for one
// only when it must place it.
class PictureWorker {
public:
    struct Job {
        std::function<std::string()> make;
        std::string bytes;  // what make returned
        bool done = false;
    };
    ~PictureWorker() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    std::shared_ptr<Job> Add(std::function<std::string()> make) {
        auto job = std::make_shared<Job>();
        job->make = std::move(make);
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(job);
            if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        }
        wake_.notify_all();
        return job;
    }
    // Whether the job is done; with wait, once it is.
    bool Done(const Job& job, bool wait) {
        std::unique_lock lock(mutex_);
        if (wait) done_.wait(lock, [&] { return job.done; });
        return job.done;
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_) return;  // what is left is no longer wanted
            std::shared_ptr<Job> job = queue_.front();
            queue_.pop_front();
            lock.unlock();
            std::string bytes = job->make ? job->make() : std::string();
            job->make = nullptr;
            lock.lock();
            job->bytes = std::move(bytes);
            job->done = true;
            done_.notify_all();
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stop_ = false;
    std::thread thread_;
};

// A picture placed in the document whose bytes are still being made, and the
// text written after it meanwhile.
struct PendingPicture {
    std::shared_ptr<PictureWorker::Job> job;  // makes the picture's paragraph
    std::string name;
    std::string after;
};

struct Document {
    bool open = false;
    std::string path;
    bool pageNumbers = true;
    int firstPage = 1;
    bool nologo = false;
    std::map<std::string, std::string> fields;  // "Name", "Titel", "Version", "@T", "@A", "@P"
    std::string date;  // of the opening, "dd.mm.yyyy"
    std::string prologue;  // as written at the start of the file
    TempFile file;
    bool inMemory = false;  // kept in memory instead of a file
    std::string memory;     // a memory document's text so far
    Body body;
    detail::Tables tables;
    Table table;
    std::deque<PendingPicture> pending;  // in the order of the document
    std::unique_ptr<PictureWorker> worker;  // last: stopped before the pictures it makes are dropped
};

struct State {
    std::recursive_mutex mutex;
    std::string outputFile;
    Document doc;
    std::optional<std::string> closedInMemory;  // the memory document closed last
};

State& S() {
    static State s;
    return s;
}

detail::Tables BaseTables() {
    detail::Tables t;
    t.fonts = {{"Arial", 0, "fswiss"}, {"Arial", 0, "fswiss"}, {"Symbol", 2, "ftech"}, {"Courier New", 0, "fmodern"}};
    t.colors = {{0, 0, 0, true}, {0, 0, 0}, {0, 0, 255}, {230, 230, 230}};
    return t;
}

// Paragraph styles: number in the style sheet, name, properties.
struct Style {
    int number;
    const char* name;
    const char* props;
};
constexpr Style kStyles[] = {
    {0, "Normal", "\\ql\\sa60\\f1\\fs20"},
    {1, "Titel", "\\ql\\sb120\\sa240\\keepn\\f1\\fs36\\b"},
    {2, "Kapitel", "\\ql\\sb360\\sa120\\keepn\\f1\\fs28\\b"},
    {3, "Abschnitt", "\\ql\\sb240\\sa80\\keepn\\f1\\fs24\\b"},
    {4, "Bildunterschrift", "\\ql\\sb120\\sa60\\keepn\\f1\\fs18\\i"},
    {11, "heading 1", "\\ql\\sb360\\sa120\\keepn\\f1\\fs32\\b"},
    {12, "heading 2", "\\ql\\sb300\\sa120\\keepn\\f1\\fs28\\b"},
    {13, "heading 3", "\\ql\\sb240\\sa100\\keepn\\f1\\fs26\\b"},
    {14, "heading 4", "\\ql\\sb200\\sa80\\keepn\\f1\\fs22\\b"},
    {15, "heading 5", "\\ql\\sb160\\sa60\\keepn\\f1\\fs20\\b"},
    {20, "header", "\\ql\\f1\\fs16"},
    {21, "Tabelle", "\\ql\\f1\\fs18"},
};

const Style& StyleFor(int style) {
    auto byNumber = [](int n) -> const Style& {
        for (const Style& s : kStyles)
            if (s.number == n) return s;
        return kStyles[0];
    };
    if (style >= 1 && style <= 4) return byNumber(style);
    if (style <= -1 && style >= -5) return byNumber(10 - style);
    if (style < -5) return byNumber(15);  // lower levels take the lowest heading
    return byNumber(0);
}

std::string ParagraphStart(const Style& s) { return "\\pard\\plain\\s" + std::to_string(s.number) + s.props + " "; }

void Message(const std::string& text, winsys::Icon icon = winsys::Icon::Error) {
    winsys::MessageBox(text, kCaption, winsys::Buttons::Ok, icon);
}

// ---- tables -----------------------------------------------------------------

void EmitRow(Document& d) {
    Table& t = d.table;
    Body& b = d.body;
    b += "\\trowd\\trgaph57\\trleft0\\trkeep";
    if (t.header) b += "\\trhdr";
    for (int edge : t.rightEdges) {
        if (t.header) b += "\\clcbpat3";
        b += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
             "\\clvertalc\\cellx";
        b += std::to_string(edge);
    }
    b += "\n";
    for (const std::string& cell : t.row) {
        b += "\\pard\\intbl\\plain\\s21\\ql\\f1\\fs18 ";
        b += cell;
        b += "\\cell\n";
    }
    b += "\\row\n";
    t.row.clear();
}

void AddCell(Document& d, std::string rtf) {
    Table& t = d.table;
    t.row.push_back(std::move(rtf));
    if (t.row.size() == t.rightEdges.size()) EmitRow(d);
}

void EndTable(Document& d) {
    Table& t = d.table;
    if (!t.open) return;
    if (!t.row.empty()) {
        while (t.row.size() < t.rightEdges.size()) t.row.emplace_back();
        EmitRow(d);
    }
    // A small empty paragraph keeps the next table a table of its own.
    d.body += "\\pard\\plain\\s0\\ql\\sa0\\f1\\fs8\\par\n";
    t = Table{};
}

// ---- pictures ----------------------------------------------------------------

struct Picture {
    const char* blip = nullptr;
    long picw = 0, pich = 0;        // picture units (0.01 mm for metafiles, pixels else)
    double widthCm = 0, heightCm = 0;  // own size
};

uint32_t LE32(std::string_view d, size_t off) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(d[off + i]);
    return v;
}
uint32_t BE32(std::string_view d, size_t off) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(d[off + i]);
    return v;
}
unsigned BE16(std::string_view d, size_t off) {
    return (static_cast<unsigned char>(d[off]) << 8) | static_cast<unsigned char>(d[off + 1]);
}

std::optional<Picture> Inspect(std::string_view d) {
    Picture p;
    if (d.size() >= 88 && LE32(d, 0) == 1 && LE32(d, 40) == 0x464D4520u) {
        p.blip = "emfblip";
        auto i32 = [&](size_t off) { return static_cast<int32_t>(LE32(d, off)); };
        double w = i32(32) - i32(24), h = i32(36) - i32(28);  // frame, 0.01 mm
        if (w <= 0 || h <= 0) {
            // No frame: the bounds on the reference device.
            double bw = i32(16) - i32(8) + 1, bh = i32(20) - i32(12) + 1;
            double pxw = i32(72), pxh = i32(76), mmw = i32(80), mmh = i32(84);
            if (bw > 0 && bh > 0 && pxw > 0 && pxh > 0 && mmw > 0 && mmh > 0) {
                w = bw * mmw / pxw * 100.0;
                h = bh * mmh / pxh * 100.0;
            } else {
                w = h = 1000;  // nothing drawn: 1 cm
            }
        }
        p.picw = std::lround(w);
        p.pich = std::lround(h);
        p.widthCm = w / 1000.0;
        p.heightCm = h / 1000.0;
        return p;
    }
    if (d.size() >= 33 && d.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && d.compare(12, 4, "IHDR") == 0) {
        p.blip = "pngblip";
        p.picw = BE32(d, 16);
        p.pich = BE32(d, 20);
        double dpcmX = 96 / 2.54, dpcmY = 96 / 2.54;
        for (size_t off = 8; off + 12 <= d.size();) {
            uint32_t len = BE32(d, off);
            if (d.compare(off + 4, 4, "pHYs") == 0 && len == 9 && off + 17 <= d.size() && d[off + 16] == 1) {
                double x = BE32(d, off + 8), y = BE32(d, off + 12);
                if (x > 0 && y > 0) dpcmX = x / 100.0, dpcmY = y / 100.0;
            }
            if (d.compare(off + 4, 4, "IDAT") == 0 || len > d.size()) break;
            off += 12 + static_cast<size_t>(len);
        }
        if (p.picw <= 0 || p.pich <= 0) return std::nullopt;
        p.widthCm = p.picw / dpcmX;
        p.heightCm = p.pich / dpcmY;
        return p;
    }
    if (d.size() >= 4 && static_cast<unsigned char>(d[0]) == 0xFF && static_cast<unsigned char>(d[1]) == 0xD8) {
        p.blip = "jpegblip";
        double dpcmX = 96 / 2.54, dpcmY = 96 / 2.54;
        size_t off = 2;
        while (off + 4 <= d.size() && static_cast<unsigned char>(d[off]) == 0xFF) {
            unsigned marker = static_cast<unsigned char>(d[off + 1]);
            unsigned len = BE16(d, off + 2);
            if (marker == 0xE0 && off + 18 <= d.size() && d.compare(off + 4, 5, std::string("JFIF\0", 5)) == 0) {
                int units = static_cast<unsigned char>(d[off + 11]);
                double x = BE16(d, off + 12), y = BE16(d, off + 14);
                if (x > 0 && y > 0 && units == 1) dpcmX = x / 2.54, dpcmY = y / 2.54;
                if (x > 0 && y > 0 && units == 2) dpcmX = x, dpcmY = y;
            }
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC &&
                off + 9 <= d.size()) {
                p.pich = BE16(d, off + 5);
                p.picw = BE16(d, off + 7);
                break;
            }
            off += 2 + len;
        }
        if (p.picw <= 0 || p.pich <= 0) return std::nullopt;
        p.widthCm = p.picw / dpcmX;
        p.heightCm = p.pich / dpcmY;
        return p;
    }
    return std::nullopt;
}

// The picture as RTF hex: two digits a byte, a line break after every 64
// bytes; written straight into a region of the body of the exact size.
template <class Sink>
void WriteHex(Sink& b, std::string_view data) {
    static const auto pairs = [] {
        std::array<char, 512> t{};
        const char* hex = "0123456789abcdef";
        for (int i = 0; i < 256; ++i) {
            t[static_cast<size_t>(2 * i)] = hex[i >> 4];
            t[static_cast<size_t>(2 * i + 1)] = hex[i & 15];
        }
        return t;
    }();
    constexpr size_t kLine = 64;
    for (size_t pos = 0; pos < data.size();) {
        // A piece of whole lines that fits the body's buffer.
        const size_t lines = std::max<size_t>(1, Body::kBuffer / (2 * kLine + 1) / 2);
        const size_t n = std::min(data.size() - pos, lines * kLine);
        const size_t breaks = (pos + n) / kLine - pos / kLine;
        char* out = b.Extend(2 * n + breaks);
        // Line by line: the digits of a line, then its break when the line
        // is whole.
        for (size_t i = pos; i < pos + n;) {
            const size_t lineEnd = std::min(pos + n, (i / kLine + 1) * kLine);
            for (; i < lineEnd; ++i) {
                std::memcpy(out, &pairs[2 * static_cast<size_t>(static_cast<unsigned char>(data[i]))], 2);
                out += 2;
            }
            if (lineEnd % kLine == 0) *out++ = '\n';
        }
        pos += n;
    }
}

// Text collected in a string, written as the body is written (a picture's
// paragraph made aside).
struct StringSink {
    std::string& text;
    StringSink& operator+=(std::string_view t) {
        text.append(t);
        return *this;
    }
    char* Extend(size_t n) {
        const size_t at = text.size();
        text.resize(at + n);
        return text.data() + at;
    }
};

// The picture's paragraph: its size and its bytes as hex.
template <class Sink>
void WritePicture(Sink& b, const Picture& picture, std::string_view data, double w, double h, bool centred) {
    const Picture* pic = &picture;
    b += "\\pard\\plain\\s0";
    b += centred ? "\\qc" : "\\ql";
    b += "\\sb0\\sa0\\keep\\f1\\fs20 {\\pict\\";
    b += pic->blip;
    b += "\\picw" + std::to_string(pic->picw) + "\\pich" + std::to_string(pic->pich);
    b += "\\picwgoal" + std::to_string(std::lround(w * kTwipsPerCm));
    b += "\\pichgoal" + std::to_string(std::lround(h * kTwipsPerCm)) + "\n";
    WriteHex(b, data);
    b += "}\\par\n";
}

// The size a picture is shown at: the one asked for, its own, or the other
// side in its proportions.
void ShownSize(const Picture& pic, double widthCm, double heightCm, double& w, double& h) {
    auto usable = [](double v) { return std::isfinite(v) && v > 0; };
    w = usable(widthCm) ? widthCm : 0;
    h = usable(heightCm) ? heightCm : 0;
    if (w == 0 && h == 0) {
        w = pic.widthCm;
        h = pic.heightCm;
    } else if (h == 0) {
        h = w * pic.heightCm / pic.widthCm;
    } else if (w == 0) {
        w = h * pic.widthCm / pic.heightCm;
    }
}

int InsertPictureBytes(Document& d, std::string_view data, const std::string& name, double widthCm, double heightCm,
                       bool centred) {
    std::optional<Picture> pic = Inspect(data);
    if (!pic) {
        Message("Das Bild '" + name + "' ist kein lesbares Metafile-, PNG- oder JPEG-Bild.");
        return 0;
    }
    double w = 0, h = 0;
    ShownSize(*pic, widthCm, heightCm, w, h);
    EndTable(d);
    WritePicture(d.body, *pic, data, w, h, centred);
    return 1;
}

// Places the pictures being made, in the order of the document, as far as
// they are done (waiting for them with wait) until leave are left.
void SettlePictures(Document& d, bool wait, size_t leave = 0) {
    while (d.pending.size() > leave) {
        PendingPicture& p = d.pending.front();
        if (!d.worker || !d.worker->Done(*p.job, wait)) return;
        d.body.Divert(nullptr);
        // The job made the picture's paragraph; empty: no readable picture.
        if (!p.job->bytes.empty())
            d.body += p.job->bytes;
        else
            Message("Das Bild '" + p.name + "' ist kein lesbares Metafile-, PNG- oder JPEG-Bild.");
        d.body += p.after;
        d.pending.pop_front();
        if (!d.pending.empty()) d.body.Divert(&d.pending.back().after);
    }
}

// The whole file, read at its size; empty when missing or unreadable.
std::string ReadWholeFile(const fs::path& p) {
    std::string data;
    std::ifstream f(p, std::ios::binary | std::ios::ate);
    if (!f) return data;
    const std::streamoff size = f.tellg();
    if (size <= 0) return data;
    data.resize(static_cast<size_t>(size));
    f.seekg(0);
    if (!f.read(data.data(), size)) data.clear();
    return data;
}

int InsertPicture(const std::string& fileName, double widthCm, double heightCm, bool centred) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open) return 0;
    const std::string data = ReadWholeFile(winsys::ResolveCaseInsensitive(winsys::RealFilePath(fileName)));
    if (data.empty()) {
        Message("Das Bild '" + fileName + "' wurde nicht gefunden oder ist leer.");
        return 0;
    }
    return InsertPictureBytes(d, data, fileName, widthCm, heightCm, centred);
}

// ---- the document ----------------------------------------------------------

std::string SettingName(std::string_view request, bool& isSet) {
    isSet = false;
    if (request.size() >= 5 && winsys::EqualsNoCase(request.substr(0, 5), "sets/")) {
        isSet = true;
        return std::string(request.substr(5));
    }
    if (request.size() >= 5 && winsys::EqualsNoCase(request.substr(0, 5), "gets/")) return std::string(request.substr(5));
    return std::string(request);
}

// The local date, "dd.mm.yyyy".
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    if (!localtime_r(&now, &t)) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
    return buf;
}

std::string PageHeader(const Document& d) {
    auto field = [&](const char* k) {
        auto it = d.fields.find(k);
        return it == d.fields.end() ? std::string() : it->second;
    };
    const std::vector<int> syms = d.tables.SymbolFonts();
    const std::string par = "\\pard\\plain\\s20\\ql\\tqr\\tx" + std::to_string(kTextWidthTwips) + "\\f1\\fs16 ";
    std::string h = "{\\header\n";
    if (!d.nologo) {
        std::string lines;
        for (int i = 0; i < 5; ++i) {
            std::string line = RtfSettings("gets/Customer" + std::to_string(i), "");
            if (line.empty()) continue;
            if (!lines.empty()) lines += ", ";
            lines += EscapePlain(line);
        }
        if (!lines.empty()) h += par + lines + "\\par\n";
    }
    std::string name = field("Name"), title = field("Titel"), version = field("Version");
    if (!name.empty() || !title.empty() || !version.empty()) {
        h += par;
        if (!name.empty()) h += "{\\b " + EscapeRtf(name, syms) + "}";
        if (!name.empty() && !title.empty()) h += " - ";
        if (!title.empty()) h += "{" + EscapeRtf(title, syms) + "}";
        if (!version.empty()) h += "\\tab {" + EscapeRtf(version, syms) + "}";
        h += "\\par\n";
    }
    std::string project = field("@A"), position = field("@P");
    if (!project.empty() || !position.empty()) {
        h += par;
        if (!project.empty()) h += "Projekt: {" + EscapeRtf(project, syms) + "}";
        if (!project.empty() && !position.empty()) h += "\\tab ";
        if (!position.empty()) h += "Position: {" + EscapeRtf(position, syms) + "}";
        h += "\\par\n";
    }
    std::string free = field("@T");
    if (!free.empty()) h += par + "{" + EscapeRtf(free, syms) + "}\\par\n";
    // The last line carries the rule under the header, the date of the
    // report and the page number; "von m" only where the pages are counted
    // from 1 (the count of the document's pages is then the last number).
    h += par + "\\brdrb\\brdrs\\brdrw10\\brsp20 " + d.date;
    if (d.pageNumbers) {
        h += "\\tab Seite {\\field{\\*\\fldinst PAGE }{\\fldrslt " + std::to_string(d.firstPage) + "}}";
        if (d.firstPage == 1) h += " von {\\field{\\*\\fldinst NUMPAGES }{\\fldrslt 1}}";
    }
    h += "\\par\n}\n";
    return h;
}

// Everything before the body: font table, colour table, style sheet, page
// setup and page header.
std::string Prologue(const Document& d) {
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (size_t i = 0; i < d.tables.fonts.size(); ++i) {
        const detail::Font& f = d.tables.fonts[i];
        out += "{\\f" + std::to_string(i) + "\\" + f.family + "\\fcharset" + std::to_string(f.charset) + " " +
               EscapePlain(f.name) + ";}";
    }
    out += "}\n{\\colortbl;";
    for (size_t i = 1; i < d.tables.colors.size(); ++i) {
        const detail::Color& c = d.tables.colors[i];
        out += "\\red" + std::to_string(c.r) + "\\green" + std::to_string(c.g) + "\\blue" + std::to_string(c.b) + ";";
    }
    out += "}\n{\\stylesheet";
    for (const Style& s : kStyles) {
        out += "{";
        out += s.number == 0 ? std::string() : "\\s" + std::to_string(s.number);
        out += s.props;
        out += " ";
        out += s.name;
        out += ";}";
    }
    out += "}\n";
    out += "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1701\\margb1134\\headery567\\widowctrl\n";
    out += "\\sectd\\pgnstarts" + std::to_string(d.firstPage) + "\\pgnrestart\\pgndec\n";
    out += PageHeader(d);
    return out;
}

constexpr std::string_view kTrailer = "\\pard\\plain\\s0\\par\n}\n";

// A second file with the new prologue and the body of the first copied after
// it, renamed over the target.
bool RewriteWithPrologue(const Document& d, const std::string& prologue) {
    TempFile next;
    if (!next.Create(d.path) || !next.Write(prologue.data(), prologue.size())) return false;
    std::ifstream in(d.file.Path(), std::ios::binary);
    if (!in.seekg(static_cast<std::streamoff>(d.body.Offset()))) return false;
    std::vector<char> chunk(1 << 20);
    size_t left = d.body.Size();
    while (left > 0) {
        const size_t n = std::min(left, chunk.size());
        if (!in.read(chunk.data(), static_cast<std::streamsize>(n)) || !next.Write(chunk.data(), n)) return false;
        left -= n;
    }
    return next.CommitAs(d.path);
}

// Whether the file can be written, without changing an existing file.
bool Writable(const std::string& path) {
    fs::path p(path);
    std::error_code ec;
    if (fs::exists(p, ec)) {
        if (fs::is_directory(p, ec)) return false;
        std::ofstream f(p, std::ios::binary | std::ios::app);
        return static_cast<bool>(f);
    }
    {
        std::ofstream f(p, std::ios::binary);
        if (!f) return false;
    }
    fs::remove(p, ec);
    return true;
}

int CloseLocked(State& s) {
    Document& d = s.doc;
    if (!d.open) return 0;
    SettlePictures(d, true);
    d.worker.reset();
    EndTable(d);
    d.body += kTrailer;
    d.body.Flush();
    if (d.inMemory) {
        // The fonts and colours an appended document brought in stand in
        // the final prologue.
        std::string text = std::move(d.memory);
        const std::string prologue = Prologue(d);
        if (prologue != d.prologue) text.replace(0, d.prologue.size(), prologue);
        s.closedInMemory = std::move(text);
        d = Document{};
        return 1;
    }
    bool ok = !d.body.Failed();
    int error = d.body.Error();
    if (ok) {
        const std::string prologue = Prologue(d);
        errno = 0;
        ok = prologue == d.prologue ? d.file.CommitAs(d.path) : RewriteWithPrologue(d, prologue);
        if (!ok) error = errno;
    }
    const std::string path = d.path;
    d = Document{};  // a temporary file left over is removed
    if (!ok) {
        // Why, when the system said it (a full disk, a file-size limit ...).
        Message("Die Datei '" + path + "' konnte nicht geschrieben werden" +
                (error != 0 ? " (" + winsys::FileErrorText(error) + ")" : std::string()) + ".");
        return 0;
    }
    return 1;
}

}  // namespace

void RtfResetReport() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.doc = Document{};
    s.outputFile.clear();
    s.closedInMemory.reset();
}

void RtfSetOutputFile(const std::string& path) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.outputFile = path.substr(0, path.find('\0'));
}

namespace {
// Opens the document of the state: a file (path) or, with inMemory, a text.
int OpenLocked(State& s, const std::string& path, bool inMemory, int noPageNum, int firstPage,
               std::string_view header) {
    if (s.doc.open) CloseLocked(s);
    if (!inMemory && (path.empty() || !Writable(path))) return 0;

    Document& d = s.doc;
    d = Document{};
    d.path = path;
    d.inMemory = inMemory;
    d.pageNumbers = noPageNum != 1;
    d.firstPage = std::max(1, firstPage);
    d.date = Today();
    d.tables = BaseTables();
    // Fields up to the first empty one (the double NUL) or the end.
    size_t pos = 0;
    while (pos < header.size()) {
        size_t end = header.find('\0', pos);
        if (end == std::string_view::npos) end = header.size();
        std::string_view field = header.substr(pos, end - pos);
        if (field.empty()) break;
        size_t eq = field.find('=');
        if (eq == std::string_view::npos) {
            if (winsys::EqualsNoCase(field, "nologo")) d.nologo = true;
        } else {
            d.fields[std::string(field.substr(0, eq))] = std::string(field.substr(eq + 1));
        }
        pos = end + 1;
    }
    d.prologue = Prologue(d);
    if (inMemory) {
        d.memory = d.prologue;
        d.body.Start(nullptr, d.prologue.size(), &d.memory);
    } else {
        if (!d.file.Create(path) || !d.file.Write(d.prologue.data(), d.prologue.size())) {
            d = Document{};
            return 0;
        }
        d.body.Start(&d.file, d.prologue.size());
    }
    d.open = true;
    return 1;
}
}  // namespace

int RtfOpenDocument(const std::string& fileName, int noPageNum, int /*flags*/, int firstPage, std::string_view header) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    std::string path = fileName.empty() ? s.outputFile : fileName;
    path = winsys::RealFilePath(path.substr(0, path.find('\0')));
    if (path.empty()) {
        if (s.doc.open) CloseLocked(s);
        return 0;
    }
    return OpenLocked(s, path, false, noPageNum, firstPage, header);
}

int RtfOpenMemoryDocument(int noPageNum, int /*flags*/, int firstPage, std::string_view header) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return OpenLocked(s, std::string(), true, noPageNum, firstPage, header);
}

bool RtfTakeMemoryDocument(std::string& bytes) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.closedInMemory) return false;
    bytes = std::move(*s.closedInMemory);
    s.closedInMemory.reset();
    return true;
}

int RtfCloseDocument(int) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return CloseLocked(s);
}

int RtfWriteRaw(std::string_view rtf) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open) return 0;
    EndTable(d);
    if (detail::IsRtfDocument(rtf)) {
        std::string merged;
        if (!detail::MergeDocument(rtf, d.tables, merged)) {
            Message("Ein RTF-Text ist beschädigt und wurde nicht übernommen.");
            return 0;
        }
        d.body += merged + "\n";
        return 1;
    }
    d.body += EscapeRtf(rtf, d.tables.SymbolFonts()) + "\n";
    return 1;
}

int RtfWriteText(int style, std::string_view text) {
    if (style == -10) return RtfWriteRaw(text);
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open) return 0;
    EndTable(d);
    d.body += ParagraphStart(StyleFor(style)) + EscapeRtf(text, d.tables.SymbolFonts()) + "\\par\n";
    return 1;
}

int RtfInsertPicture(const std::string& fileName, int, double widthCm, double heightCm, double, double) {
    return InsertPicture(fileName, widthCm, heightCm, true);
}

int RtfInsertPictureLeft(const std::string& fileName, int, double widthCm, double heightCm, double, double) {
    return InsertPicture(fileName, widthCm, heightCm, false);
}

int RtfInsertPictureBytes(std::string_view bytes, double widthCm, double heightCm, bool left, const std::string& name) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open) return 0;
    return InsertPictureBytes(s.doc, bytes, name.empty() ? std::string("(Speicher)") : name, widthCm, heightCm, !left);
}

namespace {
// Appends an RTF document's body (fonts and colours mapped); name names it in
// the messages.
int AppendRtfLocked(Document& d, std::string_view text, const std::string& name) {
    if (!detail::IsRtfDocument(text)) {
        Message("Die Datei '" + name + "' ist keine RTF-Datei und wurde nicht angehängt.");
        return 0;
    }
    std::string merged;
    if (!detail::MergeDocument(text, d.tables, merged)) {
        Message("Die RTF-Datei '" + name + "' ist beschädigt und wurde nicht angehängt.");
        return 0;
    }
    EndTable(d);
    d.body += merged + "\n";
    return 1;
}
}  // namespace

int RtfInsertPictureMade(std::function<std::string()> make, double widthCm, double heightCm, bool left,
                         const std::string& name) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open || !make) return 0;
    // The text written after pictures still being made waits in memory: a
    // few at most.
    SettlePictures(d, false);
    SettlePictures(d, true, 2);
    EndTable(d);
    if (!d.worker) d.worker = std::make_unique<PictureWorker>();
    PendingPicture p;
    // The worker makes the picture's whole paragraph, its hex included.
    p.job = d.worker->Add([make = std::move(make), widthCm, heightCm, centred = !left]() -> std::string {
        const std::string bytes = make();
        const std::optional<Picture> pic = Inspect(bytes);
        if (!pic) return {};
        double w = 0, h = 0;
        ShownSize(*pic, widthCm, heightCm, w, h);
        std::string paragraph;
        paragraph.reserve(2 * bytes.size() + bytes.size() / 64 + 256);
        StringSink sink{paragraph};
        WritePicture(sink, *pic, bytes, w, h, centred);
        return paragraph;
    });
    p.name = name.empty() ? std::string("(Speicher)") : name;
    d.pending.push_back(std::move(p));
    d.body.Divert(&d.pending.back().after);
    return 1;
}

int RtfAppendFile(const std::string& fileName, const std::string&, int, int) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open) return 0;
    fs::path p = winsys::ResolveCaseInsensitive(winsys::RealFilePath(fileName));
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) {
        Message("Die RTF-Datei '" + fileName + "' wurde nicht gefunden.");
        return 0;
    }
    return AppendRtfLocked(s.doc, ReadWholeFile(p), fileName);
}

int RtfAppendBytes(std::string_view rtf, const std::string& name) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open) return 0;
    return AppendRtfLocked(s.doc, rtf, name);
}

int RtfBeginTable(int columns, const double* widthsCm) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open || columns <= 0 || !widthsCm) return 0;
    EndTable(d);
    Table& t = d.table;
    t.open = true;
    double edge = 0;
    for (int i = 0; i < columns; ++i) {
        double w = widthsCm[i];
        if (!std::isfinite(w) || w < 0.1) w = 0.1;  // a column stays visible
        edge += w * kTwipsPerCm;
        t.rightEdges.push_back(static_cast<int>(std::lround(std::min(edge, 1.0e8))));
    }
    return 1;
}

int RtfBeginTable(const std::vector<double>& widthsCm) {
    return RtfBeginTable(static_cast<int>(widthsCm.size()), widthsCm.data());
}

int RtfBeginRow(int header) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open || !s.doc.table.open) return 0;
    s.doc.table.header = header != 0;
    return 1;
}

int RtfWriteCell(std::string_view rtf) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open || !s.doc.table.open) return 0;
    AddCell(s.doc, EscapeRtf(rtf, s.doc.tables.SymbolFonts()));
    return 1;
}

int RtfWriteIntCell(std::string_view format, int value) { return RtfWriteCell(FormatCellNumber(format, value)); }

int RtfWriteNumberCell(std::string_view format, double value) {
    return RtfWriteCell(FormatCellNumber(format, value));
}

int RtfEndTable() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open || !s.doc.table.open) return 0;
    EndTable(s.doc);
    return 1;
}

void RtfMessage(std::string_view text) {
    winsys::Icon icon = winsys::Icon::Information;
    std::string_view shown = text;
    if (text.size() >= 2 && text[1] == ' ' && std::isalpha(static_cast<unsigned char>(text[0]))) {
        switch (std::toupper(static_cast<unsigned char>(text[0]))) {
        case 'W': icon = winsys::Icon::Warning; break;
        case 'E': case 'F': icon = winsys::Icon::Error; break;
        case 'I': case 'H': icon = winsys::Icon::Information; break;
        default: icon = winsys::Icon::None; break;
        }
        shown = text.substr(2);
    }
    winsys::MessageBox(std::string(shown), kCaption, winsys::Buttons::Ok, icon);
}

std::string RtfSettings(std::string_view request, std::string_view value) {
    bool isSet;
    std::string name = SettingName(request, isSet);
    if (name.empty()) return std::string(value);
    if (isSet) {
        if (winsys::EqualsNoCase(name, "VK-Version/zadevoz")) return "V2";
        if (!winsys::RegSetString(winsys::Hive::CurrentUser, kSettingsKey, name, std::string(value)))
            Message("Die Einstellung '" + name + "' konnte nicht gespeichert werden.");
        return std::string(value);
    }
    if (winsys::EqualsNoCase(name, "VK-Version/zadevoz")) return "V2";
    std::optional<std::string> stored = winsys::RegGetString(winsys::Hive::CurrentUser, kSettingsKey, name);
    return stored ? *stored : std::string(value);
}

std::string FormatCellNumber(std::string_view format, double value) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '@' && i + 1 < format.size() && format[i + 1] >= '0' && format[i + 1] <= '9') {
            int digits = format[i + 1] - '0';
            char buf[400];
            auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, digits);
            std::string num = ec == std::errc() ? std::string(buf, p) : std::string("---");
            // "-0.00" for a tiny negative value reads as zero
            if (num.size() > 1 && num[0] == '-' && num.find_first_not_of("-0.") == std::string::npos) num.erase(0, 1);
            out += num;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace zadevoz
