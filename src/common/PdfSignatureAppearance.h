#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vorn::common {

// Where and how a PDF signature shows on its page. Coordinates and sizes are PDF points
// (1/72 inch) from the lower-left corner of the page.
struct PdfSignatureAppearance {
    enum class Image {
        GreenCheck, // the built-in green check in a grey circle, on the left, fully opaque
        CustomJpeg, // the caller's JPEG, centred behind the text at 30 % opacity
    };

    bool invisible = false;
    double x = 0;
    double y = 0;
    double width = 0;  // 0 or less: wide enough for the text
    double height = 0; // 0 or less: tall enough for the text
    Image image = Image::GreenCheck;
    QString jpegPath;     // for Image::CustomJpeg
    double fontSize = 10; // shrunk when the text would not fit the box
    QStringList lines;
};

// The signing time as it is written on the appearance: "dd/mm/yyyy HH:MM:ZZ", where MM right
// after the hour is the minute and ZZ the millisecond of the current second, at least two digits
// (18:23:45.007 gives "18:23:07"; the seconds themselves do not appear).
QString signatureTimeText(const QDateTime& when);

} // namespace vorn::common
