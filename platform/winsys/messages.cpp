// The message sink: every message box and question of the program passes here.
#include "platform/winsys/winsys.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace winsys {

namespace {

StderrSink& DefaultSink() {
    static StderrSink sink;
    return sink;
}

std::atomic<MessageSink*> g_sink{nullptr};
// Messages are shown one at a time, whatever thread asks.
std::recursive_mutex g_showMutex;
thread_local MessageSink* t_sink = nullptr;

int DefaultAnswer(Buttons b) {
    switch (b) {
        case Buttons::Ok:
        case Buttons::OkCancel: return IdOk;
        case Buttons::YesNo:
        case Buttons::YesNoCancel: return IdYes;
        case Buttons::RetryCancel: return IdRetry;
    }
    return IdOk;
}

bool IsAnswerOf(int answer, Buttons b) {
    switch (b) {
        case Buttons::Ok: return answer == IdOk;
        case Buttons::OkCancel: return answer == IdOk || answer == IdCancel;
        case Buttons::YesNo: return answer == IdYes || answer == IdNo;
        case Buttons::YesNoCancel: return answer == IdYes || answer == IdNo || answer == IdCancel;
        case Buttons::RetryCancel: return answer == IdRetry || answer == IdCancel;
    }
    return false;
}

}  // namespace

int BatchAnswer(const Message& m) {
    return IsAnswerOf(m.batchAnswer, m.buttons) ? m.batchAnswer : DefaultAnswer(m.buttons);
}

std::string AnswerName(int answer) {
    switch (answer) {
        case IdOk: return "OK";
        case IdCancel: return "Abbrechen";
        case IdYes: return "Ja";
        case IdNo: return "Nein";
        case IdRetry: return "Wiederholen";
    }
    return std::to_string(answer);
}

int MessageBox(const std::string& text, const std::string& caption, Buttons buttons, Icon icon, int batchAnswer) {
    Message m;
    m.batchAnswer = batchAnswer;
    m.text = text;
    m.caption = caption;
    m.buttons = buttons;
    m.icon = icon;
    if (t_sink) return t_sink->Show(m);
    std::lock_guard<std::recursive_mutex> lock(g_showMutex);
    return GetMessageSink()->Show(m);
}

MessageSink* SetThreadMessageSink(MessageSink* sink) {
    MessageSink* prev = t_sink;
    t_sink = sink;
    return prev;
}

MessageSink* SetMessageSink(MessageSink* sink) {
    std::lock_guard<std::recursive_mutex> lock(g_showMutex);
    MessageSink* prev = g_sink.exchange(sink);
    return prev ? prev : &DefaultSink();
}

MessageSink* GetMessageSink() {
    MessageSink* s = g_sink.load();
    return s ? s : &DefaultSink();
}

int StderrSink::Show(const Message& m) {
    std::string line;
    if (!m.caption.empty()) {
        line = m.caption;
        line += ": ";
    }
    line += m.text;
    line += '\n';
    const int answer = BatchAnswer(m);
    if (m.buttons != Buttons::Ok) line += "-> ohne Rückfrage beantwortet: " + AnswerName(answer) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return answer;
}

int RecordingSink::Show(const Message& m) {
    messages.push_back(m);
    if (!scriptedAnswers.empty()) {
        int a = scriptedAnswers.front();
        scriptedAnswers.erase(scriptedAnswers.begin());
        return a;
    }
    return defaultAnswer;
}

ScopedRecordingSink::ScopedRecordingSink() : previous_(SetMessageSink(this)) {}

ScopedRecordingSink::~ScopedRecordingSink() {
    // Restore what was there; the default sink is restored as nullptr.
    SetMessageSink(previous_ == &DefaultSink() ? nullptr : previous_);
}

}  // namespace winsys
