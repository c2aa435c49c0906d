#pragma once

// File and folder utilities of the common units. Every operation is a class-level operation: it
// needs no instance and keeps no state between calls. Call on the user-interface thread.
//
// Paths are native Linux paths with "/" as separator. The folder form of a path is the text with
// blanks and control characters removed from both ends, followed by "/" unless it is then empty
// or already ends with "/".
//
// Searches take a folder and a Windows wildcard mask ("*", "?", "*.*" for every name, letters
// compared without regard to case; see WildcardMask.h). They list every kind of entry, hidden
// ones included, never "." and "..", sorted by name without regard to case.
//
// Windows attribute bits (read-only 0x1, hidden 0x2, system 0x4, directory 0x10, archive 0x20,
// normal 0x80, temporary 0x100, compressed 0x800, offline 0x1000) are mapped onto Linux files
// this way (WindowsAttributes.h):
//   - a file that carries Samba's "user.DOSATTRIB" extended attribute has the bits stored there
//     (the directory bit follows the file type);
//   - otherwise: directory for a folder; hidden when the name starts with "."; read-only when the
//     owner has no write permission; system for a device, FIFO or socket; archive for a regular
//     file; normal only when no other bit is set.
//
// Errors passed to the caller are std::runtime_error whose message names the file and the reason;
// messages to the operator go through MensagemErro.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace vorn::common {

class TFuncDirArq {
public:
    TFuncDirArq() = delete;

    // True exactly when `DLLFileName` is a PE image whose Machine field is x86-64 (0x8664).
    // Throws when the file cannot be read or is not a PE image.
    static bool Is64BitFile(const QString& DLLFileName);

    // Deletes the folder `VPasta` with everything in it, or, when `VDelPastaRaiz` is false, only
    // what it holds. Permanent (no recycle bin). Past about a second a progress window owned by
    // the window `hHandle` (0: none) shows; what could not be deleted is listed once in an error
    // box. Symbolic links are removed, never followed. An empty path and the root folder delete
    // nothing. Nothing is returned or thrown.
    static void RemoveDir(std::uint64_t hHandle, const QString& VPasta, bool VDelPastaRaiz);

    // The first-level folder of a path in folder form: up to and including the second "/" (the
    // third for a "//server/share" path). "/srv/dados/base.fdb" gives "/srv/".
    static QString GetDirRaiz(const QString& VPath);

    // Whether the folder can be written: refuses paths under 4 characters and missing folders,
    // then creates and deletes a probe file of a fresh name inside it. Every refusal is shown to
    // the operator. An existing "Temp.txt" is never touched.
    static bool DirValido(const QString& VPasta);

    // The folder picker with caption `VTitulo` starting at `VInitialDir`. On OK the chosen folder,
    // in folder form, goes to `VDirSelecionado` and the result is true; on Cancel it is false and
    // `VDirSelecionado` stays as it was.
    static bool SelecionaDiretorio(const QString& VTitulo, const QString& VInitialDir,
                                   QString& VDirSelecionado);

    // Copies (`VCopiaMove` 1) or moves (2) the files of `VPastaOrig` that match the mask
    // `VListaArquivos` into `VPastaDest`, replacing files of the same name; folders are skipped;
    // any other mode does nothing. A file that fails is skipped silently. Replacement is atomic:
    // a failed copy or move leaves the old destination file whole.
    static void CopyOrMoveFiles(const QString& VPastaOrig, const QString& VListaArquivos,
                                const QString& VPastaDest, std::int32_t VCopiaMove);

    // The system's library folder: "/usr/lib/i386-linux-gnu/" when the 32-bit library folder
    // exists, otherwise the folder of the running C library, without a final "/". When that
    // cannot be found: box "Erro ao tentar recuperar o diretório de sistema.", then a throw of
    // "Win32 Error %d: %s" with the error number and its text.
    static QString GetWinSystemDir();

    // Creates or replaces the file `VArq` with `VConteudo` followed by a line break (CR LF), in
    // the program's 8-bit code page (Windows-1252; characters it lacks become "?"). The new text
    // is written beside the file and then takes its name, so a failed write never leaves a
    // half-written file behind and never destroys the previous one. Returns true; an I/O error
    // (missing folder, no rights, disk full) throws std::runtime_error naming the file.
    static bool GravaArquivoTxt(const QString& VConteudo, const QString& VArq);

    // Appends "." + `VExt` to `VNomeArq` unless its extension is exactly that (case-sensitive).
    static void SetExtArqSeNaoTiver(QString& VNomeArq, const QString& VExt);

    // The number of non-folder entries of `VPasta` matching "*." + `VExtensao`; the two texts
    // receive the name of the last hidden and of the last system file met (else empty).
    static std::int32_t GetQtdeArq(const QString& VPasta, const QString& VExtensao,
                                   QString& VNomeDumSeOculto, QString& VNomeDumSeSystem);

    // The number of direct subfolders of `VPasta`; the texts receive the name of the last hidden
    // and of the last system subfolder met (else empty).
    static std::int32_t GetQtdePastaUmNivelAbaixo(const QString& VPasta, QString& VNomeDumaSeOculta,
                                                  QString& VNomeDumaSeSystem);

    // One word for the attributes of `VArq`, the last of Archive, Compressed, Directory, Hidden,
    // Normal, OffLine, ReadOnly, System, Temporary whose bit is set; empty for a missing path.
    static QString GetAtributoArquivo(const QString& VArq);

    // False when the folder `VDir` holds any entry; true when it holds none, does not exist or
    // cannot be read.
    static bool DirIsEmpty(const QString& VDir);

    // Shares the folder on the network as `VNome` with Samba's "net usershare add VNome VDir",
    // run as a process (found on PATH) and waited for; its outcome is not examined. Name and
    // folder go to the process as separate arguments, never through a shell.
    static void CompartilhaDir(const QString& VDir, const QString& VNome);

    // Downloads `VArqOrig` from the FTP server `VHost` (port 21, or the one written as
    // "host:port") into the folder `VPathDest` as `VArqDest`, replacing an existing file. True
    // when the file arrived whole; a failed transfer throws std::runtime_error naming the file and
    // the reason, and leaves no file of that name behind.
    static bool DownlArqFTPAcbr(const QString& VHost, const QString& VUser, const QString& VPass,
                                const QString& VArqOrig, const QString& VPathDest,
                                const QString& VArqDest);

    // `VLista` emptied, then filled with the names of the subfolders of `VPasta`.
    static void GetListaPastas(const QString& VPasta, QStringList& VLista);

    // The file's size in bytes cut to its low 32 bits (so 5 GiB gives 1 GiB). Throws when the
    // file cannot be opened for reading.
    static std::int32_t TamanhoArquivo(const QString& VArquivo);

    // The file name of `VNomeArquivo` (after the last "/") with the first occurrence of its
    // extension text removed: ".../nota.xml" gives "nota", "a.txt.b.txt" gives "a.b.txt".
    static QString GetNomeArquivoSemExtensao(const QString& VNomeArquivo);

    // True when another open descriptor for the file exists, in any process and for any access
    // (see FileInUse.h), when it cannot be opened for reading, or when it does not exist.
    static bool ArquivoEmUso(const QString& VArquivo);

    // The whole file as text: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without
    // one, UTF-8 when the bytes are valid UTF-8, else Windows-1252. Throws when the file cannot
    // be read.
    static QString GetConteudoArquivoTexto(const QString& VArquivo);
};

} // namespace vorn::common
