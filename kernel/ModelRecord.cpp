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

void WorkStorage::Allocate() {
    doubles.assign(static_cast<size_t>(limits::kWorkDoubles), 0.0);
    ints.assign(static_cast<size_t>(limits::kWorkInts), 0);
}

void WorkStorage::Free() {
    std::vector<double>().swap(doubles);
    std::vector<int32_t>().swap(ints);
}

RunState::RunState() = default;

RunState::~RunState() {
    // Side files never outlive the run.
    if (ErrorFile) std::fclose(ErrorFile);
    if (DebugPrintFile) std::fclose(DebugPrintFile);
    ErrorFile = nullptr;
    DebugPrintFile = nullptr;
}

double* RunState::RequireDoubles(int64_t begin, int64_t count) {
    if (work.FitsDoubles(begin, count)) return work.doubles.data() + begin;
    if (!stopped) {
        winsys::MessageBox(kOverflowText);
        Stop(codes::kMemoryOverflow, kOverflowText);
    }
    return nullptr;
}

int32_t* RunState::RequireInts(int64_t begin, int64_t count) {
    if (work.FitsInts(begin, count)) return work.ints.data() + begin;
    if (!stopped) {
        winsys::MessageBox(kOverflowText);
        Stop(codes::kMemoryOverflow, kOverflowText);
    }
    return nullptr;
}

void RunState::Stop(int32_t code, const std::string& text) {
    WriteErrLine(*this, kErrLineError, text);
    if (!stopped) {
        stopped = true;
        stopCode = code;
    }
}

}  // namespace tovik
