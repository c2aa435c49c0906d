#include "common/CapturaTela.h"

#include "platform/MessageBox.h"
#include "support/TempDir.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QScreen>
#include <gtest/gtest.h>

using vorn::common::CapturaTela;
using vorn::platform::MessageBoxRecorder;
using vorn::test::q;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::writeFile;

namespace {

QSize screenPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen->geometry().size() * screen->devicePixelRatio();
}

TEST(CapturaTela, ReplacesAnExistingFileWithAJpegOfTheWholeScreenAndFillsTheClipboard) {
    TempDir dir;
    const auto file = dir / "print.jpg";
    writeFile(file, "an old capture");
    QGuiApplication::clipboard()->setText("before");

    CapturaTela(true, q(file));

    QImageReader reader(q(file));
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), screenPixels());
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), screenPixels());
}

TEST(CapturaTela, WithoutAFileOnlyTheClipboardIsFilled) {
    TempDir dir;
    QGuiApplication::clipboard()->setText("before");
    CapturaTela(true, QString());
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), screenPixels());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    QGuiApplication::clipboard()->setText("kept");
    CapturaTela(false, QString());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
}

TEST(CapturaTela, AFileThatCannotBeDeletedStopsTheCaptureWithTheMessage) {
    TempDir dir;
    // A non-empty folder of that name cannot be deleted as a file, even by root.
    const auto busy = dir / "print.jpg";
    std::filesystem::create_directory(busy);
    writeFile(busy / "x", "x");
    QGuiApplication::clipboard()->setText("untouched");

    MessageBoxRecorder boxes;
    CapturaTela(true, q(busy));

    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Houve um erro");
    EXPECT_EQ(boxes.shown()[0].text,
              "Não foi possível gerar o print. Parece que o arquivo " + q(busy) + " está aberto.");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "untouched");
    EXPECT_EQ(readFile(busy / "x"), "x");
}

} // namespace
