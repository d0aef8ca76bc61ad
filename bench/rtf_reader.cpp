// Reading RTF into a text document: the time must grow with the length of
// the text, not with its square. A free text of 20,000 empty paragraphs (as
// a position may carry) is read as a window opens it, into a document that
// is laid out.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdlib>
#include <string>

#include "platform/richedit/rtf_reader.h"

namespace {

std::string EmptyParagraphs(int n) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red7\\green13\\blue255;}\\f0\\fs20 ";
    for (int i = 0; i < n; ++i) rtf += "\\par\r\n";
    return rtf + "}";
}

std::string TextParagraphs(int n) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red7\\green13\\blue255;}\\f0\\fs20 ";
    for (int i = 0; i < n; ++i) rtf += "\\cf1 b = " + std::to_string(i) + "\\cf0  Text der Zeile\\par\r\n";
    return rtf + "}";
}

void ReadInto(benchmark::State& state, const std::string& rtf, bool laidOut) {
    for (auto _ : state) {
        QTextDocument doc;
        if (laidOut) doc.documentLayout();  // as the editor's window has it
        const richedit::RtfReadResult r = richedit::ReadRtf(rtf, doc);
        if (!r.read) state.SkipWithError("not read");
        benchmark::DoNotOptimize(doc.blockCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(rtf.size()));
    state.counters["paragraphs"] = static_cast<double>(state.range(0));
}

void BM_ReadEmptyParagraphs(benchmark::State& state) {
    ReadInto(state, EmptyParagraphs(static_cast<int>(state.range(0))), false);
}
void BM_ReadEmptyParagraphsLaidOut(benchmark::State& state) {
    ReadInto(state, EmptyParagraphs(static_cast<int>(state.range(0))), true);
}
void BM_ReadTextParagraphsLaidOut(benchmark::State& state) {
    ReadInto(state, TextParagraphs(static_cast<int>(state.range(0))), true);
}

// 5,000 to 20,000 paragraphs: linear reading takes four times as long for
// four times the text.
BENCHMARK(BM_ReadEmptyParagraphs)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEmptyParagraphsLaidOut)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTextParagraphsLaidOut)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
