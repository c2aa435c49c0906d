#pragma once

#include "common/PdfSignatureAppearance.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace vorn::common {

// The one place that speaks PoDoFo (0.9.8, Debian 12's): its next major version changes the API,
// and only this file and its .cpp would then change. It appends a signature to a PDF document as
// an incremental update: the original bytes are copied unchanged and followed by the new
// objects, so earlier signatures stay valid.
class PdfIncrementalSigner {
public:
    PdfIncrementalSigner();
    ~PdfIncrementalSigner();
    PdfIncrementalSigner(const PdfIncrementalSigner&) = delete;
    PdfIncrementalSigner& operator=(const PdfIncrementalSigner&) = delete;

    // Reads the document. False with the reason for a missing, empty, damaged or non-PDF file.
    bool load(const QString& path, QString& error);
    int pageCount() const;

    // Makes the signed copy at `outputPath`: a signature field on page `page` (1-based) with the
    // appearance, the update written, then `sign` is handed the bytes covered by /ByteRange and
    // its detached CMS is put into /Contents. The copy is built in a temporary file beside
    // `outputPath` and renamed over it only when complete; on failure nothing is left there.
    using Signer = std::function<QByteArray(const QByteArray& signedBytes, QString& error)>;
    bool sign(const QString& outputPath, int page, const PdfSignatureAppearance& appearance,
              const Signer& sign, QString& error);

private:
    struct Document;
    std::unique_ptr<Document> document_;
};

} // namespace vorn::common
