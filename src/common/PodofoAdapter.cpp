#include "common/PodofoAdapter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUuid>
#include <algorithm>
#include <filesystem>
#include <podofo/podofo.h>

namespace vorn::common {

namespace {

using namespace PoDoFo;

// Space kept in /Contents for the CMS signature (bytes; written as hex, so twice that in the
// file). A 4096-bit key with a three-certificate chain needs about 8 KB.
constexpr size_t kSignatureSpace = 16384;
constexpr double kPadding = 3;
constexpr double kLineSpacing = 1.2;
constexpr double kImageOpacity = 0.3;

QString describe(const PdfError& error) {
    QString text = QString::fromUtf8(PdfError::ErrorName(error.GetError()));
    const char* message = PdfError::ErrorMessage(error.GetError());
    if (message != nullptr && *message != '\0')
        text += QStringLiteral(": ") + QString::fromUtf8(message);
    for (const PdfErrorInfo& info : error.GetCallstack())
        if (!info.GetInformation().empty())
            text += QStringLiteral(" (") + QString::fromStdString(info.GetInformation()) +
                    QLatin1Char(')');
    return text;
}

PdfString pdfText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return {reinterpret_cast<const pdf_utf8*>(utf8.constData())};
}

// The built-in mark: a grey circle with a green check, in the square (x, y, side).
void drawGreenCheck(PdfPainter& painter, double x, double y, double side) {
    const double r = side / 2 - 1;
    const double cx = x + side / 2;
    const double cy = y + side / 2;
    painter.Save();
    painter.SetColor(0.88, 0.88, 0.88);
    painter.SetStrokingColor(0.55, 0.55, 0.55);
    painter.SetStrokeWidth(std::max(1.0, side / 30));
    painter.Circle(cx, cy, r);
    painter.FillAndStroke();
    painter.SetStrokingColor(0.1, 0.6, 0.15);
    painter.SetStrokeWidth(side / 9);
    painter.SetLineCapStyle(ePdfLineCapStyle_Round);
    painter.SetLineJoinStyle(ePdfLineJoinStyle_Round);
    painter.MoveTo(cx - r * 0.5, cy + r * 0.02);
    painter.LineTo(cx - r * 0.12, cy - r * 0.38);
    painter.LineTo(cx + r * 0.52, cy + r * 0.42);
    painter.Stroke();
    painter.Restore();
}

} // namespace

struct PdfIncrementalSigner::Document {
    PdfMemDocument pdf;
    bool loaded = false;
};

PdfIncrementalSigner::PdfIncrementalSigner() : document_(std::make_unique<Document>()) {
    // PoDoFo otherwise prints its own diagnostics on stderr; its errors reach us as exceptions.
    PdfError::EnableDebug(false);
    PdfError::EnableLogging(false);
}

PdfIncrementalSigner::~PdfIncrementalSigner() = default;

bool PdfIncrementalSigner::load(const QString& path, QString& error) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        error = QStringLiteral("O arquivo %1 não existe.").arg(path);
        return false;
    }
    if (info.size() == 0) {
        error = QStringLiteral("O arquivo %1 está vazio.").arg(path);
        return false;
    }
    try {
        document_->pdf.Load(QFile::encodeName(path).constData(), true);
        document_->loaded = document_->pdf.GetPageCount() > 0;
        if (!document_->loaded)
            error = QStringLiteral("O documento %1 não tem páginas.").arg(path);
    } catch (const PdfError& e) {
        error = QStringLiteral("O arquivo %1 não é um documento PDF legível: %2")
                    .arg(path, describe(e));
        document_->loaded = false;
    }
    return document_->loaded;
}

int PdfIncrementalSigner::pageCount() const {
    return document_->loaded ? document_->pdf.GetPageCount() : 0;
}

bool PdfIncrementalSigner::sign(const QString& outputPath, int page,
                                const PdfSignatureAppearance& appearance, const Signer& sign,
                                QString& error) {
    if (!document_->loaded) {
        error = QStringLiteral("Nenhum documento carregado.");
        return false;
    }
    if (page < 1 || page > pageCount()) {
        error = QStringLiteral("A página %1 não existe no documento.").arg(page);
        return false;
    }
    const QFileInfo target(outputPath);
    QTemporaryFile temporary(target.absolutePath() + QLatin1Char('/') + target.fileName() +
                             QStringLiteral(".XXXXXX"));
    if (!temporary.open()) {
        error = QStringLiteral("Não foi possível criar o arquivo %1: %2")
                    .arg(outputPath, temporary.errorString());
        return false;
    }
    temporary.close();
    const QByteArray temporaryName = QFile::encodeName(temporary.fileName());

    try {
        PdfMemDocument& pdf = document_->pdf;
        PdfPage* pdfPage = pdf.GetPage(page - 1);
        PdfAcroForm* form = pdf.GetAcroForm(true, ePdfAcroFormDefaultAppearance_None);
        // SignaturesExist | AppendOnly: viewers must keep later changes as updates.
        form->GetObject()->GetDictionary().AddKey(PdfName("SigFlags"),
                                                  PdfObject(static_cast<pdf_int64>(3)));

        PdfRect rect(0, 0, 0, 0);
        PdfFont* font = nullptr;
        double fontSize = appearance.fontSize > 0 ? appearance.fontSize : 10;
        double width = appearance.width;
        double height = appearance.height;
        double imageSide = 0;
        std::unique_ptr<PdfImage> jpeg;
        if (!appearance.invisible) {
            font = pdf.CreateFont("Helvetica", false, false, false,
                                  PdfEncodingFactory::GlobalWinAnsiEncodingInstance(),
                                  PdfFontCache::eFontCreationFlags_AutoSelectBase14, false);
            if (font == nullptr) {
                error = QStringLiteral("A fonte Helvetica não está disponível.");
                return false;
            }
            auto widest = [&](double size) {
                font->SetFontSize(float(size));
                double w = 0;
                for (const QString& line : appearance.lines)
                    w = std::max(w, font->GetFontMetrics()->StringWidth(pdfText(line)));
                return w;
            };
            const double lineCount =
                std::max<double>(1, static_cast<double>(appearance.lines.size()));
            const bool check = appearance.image == PdfSignatureAppearance::Image::GreenCheck;
            if (height <= 0)
                height = lineCount * fontSize * kLineSpacing + 2 * kPadding;
            if (check)
                imageSide = std::min(height, width > 0 ? width / 3 : height);
            if (width <= 0) {
                width = widest(fontSize) + 2 * kPadding + imageSide;
                if (check)
                    imageSide = std::min(height, width / 3);
            }
            // Shrink the text until it fits the box.
            const double textWidth = width - imageSide - 2 * kPadding;
            const double textHeight = height - 2 * kPadding;
            if (textWidth <= 0 || textHeight <= 0) {
                error = QStringLiteral("A área da assinatura (%1 x %2) é pequena demais.")
                            .arg(width)
                            .arg(height);
                return false;
            }
            const double natural = widest(fontSize);
            if (natural > textWidth)
                fontSize *= textWidth / natural;
            fontSize = std::min(fontSize, textHeight / (lineCount * kLineSpacing));
            font->SetFontSize(float(fontSize));

            const PdfRect media = pdfPage->GetMediaBox();
            rect = PdfRect(media.GetLeft() + appearance.x, media.GetBottom() + appearance.y, width,
                           height);
            if (!check) {
                jpeg = std::make_unique<PdfImage>(&pdf);
                jpeg->LoadFromJpeg(QFile::encodeName(appearance.jpegPath).constData());
            }
        }

        PdfAnnotation* widget = pdfPage->CreateAnnotation(ePdfAnnotation_Widget, rect);
        widget->SetFlags(ePdfAnnotationFlags_Print);
        PdfSignatureField field(widget, form, &pdf);
        field.SetFieldName(pdfText(QStringLiteral("Assinatura-") +
                                   QUuid::createUuid().toString(QUuid::Id128).left(12)));
        field.SetSignatureDate(PdfDate());

        if (!appearance.invisible) {
            PdfXObject canvas(PdfRect(0, 0, width, height), &pdf);
            PdfPainter painter;
            painter.SetPage(&canvas);
            double textLeft = kPadding;
            if (jpeg) {
                const double scale = std::min(width / jpeg->GetWidth(), height / jpeg->GetHeight());
                const double w = jpeg->GetWidth() * scale;
                const double h = jpeg->GetHeight() * scale;
                PdfExtGState translucent(&pdf);
                translucent.SetFillOpacity(float(kImageOpacity));
                painter.Save();
                painter.SetExtGState(&translucent);
                painter.DrawImage((width - w) / 2, (height - h) / 2, jpeg.get(), scale, scale);
                painter.Restore();
            } else {
                drawGreenCheck(painter, 0, (height - imageSide) / 2, imageSide);
                textLeft += imageSide;
            }
            painter.SetFont(font);
            painter.SetColor(0, 0, 0);
            const double lineHeight = fontSize * kLineSpacing;
            const double blockHeight = lineHeight * static_cast<double>(appearance.lines.size());
            double baseline = (height + blockHeight) / 2 - fontSize;
            for (const QString& line : appearance.lines) {
                painter.DrawText(textLeft, baseline, pdfText(line));
                baseline -= lineHeight;
            }
            painter.FinishPage();
            field.SetAppearanceStream(&canvas);
        }

        PdfSignOutputDevice device(temporaryName.constData());
        device.SetSignatureSize(kSignatureSpace);
        field.SetSignature(*device.GetSignatureBeacon());
        pdf.WriteUpdate(&device, true);
        if (!device.HasSignaturePosition()) {
            error = QStringLiteral("O espaço da assinatura não foi encontrado no documento.");
            return false;
        }
        device.AdjustByteRange();
        device.Seek(0);
        QByteArray signedBytes;
        char buffer[65536];
        while (const size_t read = device.ReadForSignature(buffer, sizeof buffer))
            signedBytes.append(buffer, qsizetype(read));
        const QByteArray cms = sign(signedBytes, error);
        if (cms.isEmpty())
            return false;
        if (size_t(cms.size()) > kSignatureSpace) {
            error = QStringLiteral("A assinatura (%1 bytes) não cabe no espaço reservado.")
                        .arg(cms.size());
            return false;
        }
        device.SetSignature(PdfData(cms.constData(), size_t(cms.size())));
        device.Flush();
    } catch (const PdfError& e) {
        error = QStringLiteral("Falha ao assinar o documento: %1").arg(describe(e));
        return false;
    }

    std::error_code renameError;
    std::filesystem::rename(temporaryName.constData(),
                            QFile::encodeName(target.absoluteFilePath()).constData(), renameError);
    if (renameError) {
        error = QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                    .arg(outputPath, QString::fromStdString(renameError.message()));
        return false;
    }
    QFile::setPermissions(outputPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
    return true;
}

} // namespace vorn::common
