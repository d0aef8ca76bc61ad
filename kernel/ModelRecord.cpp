#include "kernel/ModelRecord.h"

#include "kernel/KernelErrors.h"
#include "platform/winsys/winsys.h"

namespace tovik {

namespace {
constexpr const char* kOverflowText = "Speicherüberlauf! Bitte vereinfachen Sie das System";
}

void ModelRecord::ComputeNodePositions() {
    KnotenPos.fill(0.0);
    const int32_t n = (nFeld < 0) ? 0 : (nFeld > limits::kMaxFields ? limits::kMaxFields : nFeld);
    for (int32_t f = 0; f < n; ++f)
        KnotenPos[static_cast<size_t>(f + 1)] = KnotenPos[static_cast<size_t>(f)] + static_cast<double>(Feld_L[static_cast<size_t>(f)]);
    GesamtLaenge = KnotenPos[static_cast<size_t>(n)];
}

void WorkStorage::Open() {
    doubles_ = limits::kWorkDoubles;
    ints_ = limits::kWorkInts;
}

void WorkStorage::Close() {
    doubles_ = 0;
    ints_ = 0;
}

RunState::RunState() = default;

RunState::~RunState() {
    // Side files never outlive the run.
    if (ErrorFile) std::fclose(ErrorFile);
    if (DebugPrintFile) std::fclose(DebugPrintFile);
    ErrorFile = nullptr;
    DebugPrintFile = nullptr;
}

namespace {
bool Overflow(RunState& run) {
    if (!run.stopped) {
        winsys::MessageBox(kOverflowText);
        run.Stop(codes::kMemoryOverflow, kOverflowText);
    }
    return false;
}
}  // namespace

bool RunState::RequireDoubles(int64_t begin, int64_t count) {
    return work.FitsDoubles(begin, count) || Overflow(*this);
}

bool RunState::RequireInts(int64_t begin, int64_t count) {
    return work.FitsInts(begin, count) || Overflow(*this);
}

void RunState::Stop(int32_t code, const std::string& text) {
    WriteErrLine(*this, kErrLineError, text);
    if (!stopped) {
        stopped = true;
        stopCode = code;
    }
}

}  // namespace tovik
