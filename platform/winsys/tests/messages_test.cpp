// The message sink: recording with scripted answers, default answers, restore.
#include "platform/winsys/winsys.h"

#include <gtest/gtest.h>

using namespace winsys;

TEST(RecordingSink, RecordsEveryMessageAndAnswersFromTheScript) {
    ScopedRecordingSink sink;
    sink.scriptedAnswers = {IdNo, IdCancel};
    sink.defaultAnswer = IdRetry;

    EXPECT_EQ(MessageBox("Berechnung wirklich abbrechen?", "Frage", Buttons::YesNo, Icon::Question), IdNo);
    EXPECT_EQ(MessageBox("Speichern?", "", Buttons::YesNoCancel), IdCancel);
    EXPECT_EQ(MessageBox("Übrig"), IdRetry);  // script used up: the default

    ASSERT_EQ(sink.messages.size(), 3u);
    EXPECT_EQ(sink.messages[0].text, "Berechnung wirklich abbrechen?");
    EXPECT_EQ(sink.messages[0].caption, "Frage");
    EXPECT_EQ(sink.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(sink.messages[0].icon, Icon::Question);
    EXPECT_EQ(sink.messages[2].text, "Übrig");
    EXPECT_EQ(sink.messages[2].buttons, Buttons::Ok);
    EXPECT_TRUE(sink.scriptedAnswers.empty());
}

TEST(RecordingSink, ScopedSinksNestAndRestoreTheDefault) {
    MessageSink* before = GetMessageSink();
    {
        ScopedRecordingSink outer;
        {
            ScopedRecordingSink inner;
            MessageBox("innen");
            EXPECT_EQ(inner.messages.size(), 1u);
        }
        MessageBox("außen");
        ASSERT_EQ(outer.messages.size(), 1u);
        EXPECT_EQ(outer.messages[0].text, "außen");
    }
    EXPECT_EQ(GetMessageSink(), before);
    EXPECT_NE(dynamic_cast<StderrSink*>(GetMessageSink()), nullptr);
}

TEST(StderrSink, AnswersWithTheBatchAnswerOrTheDefaultAndSaysWhich) {
    struct Case {
        Buttons buttons;
        int batchAnswer;
        int answer;
        const char* said;  // the line that names the answer, "" for a plain message
    };
    const Case cases[] = {{Buttons::Ok, 0, IdOk, ""},
                          {Buttons::OkCancel, 0, IdOk, "OK"},
                          {Buttons::YesNo, 0, IdYes, "Ja"},
                          {Buttons::YesNoCancel, 0, IdYes, "Ja"},
                          {Buttons::RetryCancel, 0, IdRetry, "Wiederholen"},
                          {Buttons::YesNo, IdNo, IdNo, "Nein"},
                          {Buttons::YesNoCancel, IdCancel, IdCancel, "Abbrechen"},
                          // An answer that is not one of the buttons falls back to the default.
                          {Buttons::YesNo, IdRetry, IdYes, "Ja"}};
    StderrSink sink;
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        Message m{"Text", "Titel", c.buttons, Icon::None};
        m.batchAnswer = c.batchAnswer;
        int answer = sink.Show(m);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(answer, c.answer);
        const std::string said = *c.said ? std::string("-> ohne Rückfrage beantwortet: ") + c.said + "\n" : "";
        EXPECT_EQ(err, "Titel: Text\n" + said);
    }
}
