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

TEST(StderrSink, AnswersWithTheDefaultOfTheButtons) {
    struct Case {
        Buttons buttons;
        int answer;
    };
    const Case cases[] = {{Buttons::Ok, IdOk},
                          {Buttons::OkCancel, IdOk},
                          {Buttons::YesNo, IdYes},
                          {Buttons::YesNoCancel, IdYes},
                          {Buttons::RetryCancel, IdRetry}};
    StderrSink sink;
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        int answer = sink.Show(Message{"Text", "Titel", c.buttons, Icon::None});
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(err, "Titel: Text\n");
    }
}
