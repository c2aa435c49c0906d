#include "platform/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace vorn::platform;

// These tests run under Qt's offscreen platform (the test main makes sure of it).

TEST(MessageBox, OffscreenWritesCaptionAndTextToStandardErrorAndReturnsAtOnce) {
    ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("offscreen"));
    EXPECT_TRUE(messageBoxesGoToStandardError());
    MessageBoxRecorder recorder;
    testing::internal::CaptureStderr();
    showMessageBox("Ocorrência de erro", QString::fromUtf8("Linha 1\nação"), MessageIcon::NoIcon);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Ocorrência de erro: Linha 1\nação\n");
    ASSERT_EQ(recorder.shown().size(), 1u);
    EXPECT_EQ(recorder.shown()[0],
              (ShownMessageBox{"Ocorrência de erro", QString::fromUtf8("Linha 1\nação"),
                               MessageIcon::NoIcon}));
}

TEST(MessageBox, RecordersNestAndTheNewestRecords) {
    MessageBoxRecorder outer;
    testing::internal::CaptureStderr();
    {
        MessageBoxRecorder inner;
        showMessageBox("A", "1", MessageIcon::Critical);
        showMessageBox("B", "2", MessageIcon::Warning);
        EXPECT_EQ(inner.shown(), (std::vector<ShownMessageBox>{{"A", "1", MessageIcon::Critical},
                                                               {"B", "2", MessageIcon::Warning}}));
    }
    showMessageBox("C", "3", MessageIcon::Information);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(outer.shown(), (std::vector<ShownMessageBox>{{"C", "3", MessageIcon::Information}}));
}
