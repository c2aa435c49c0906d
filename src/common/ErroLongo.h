#pragma once

// An error text too long to show goes to a file of the program folder's Temp folder, one file a
// day: <pasta>Temp/LongErr<digits of the date in the locale's short format>.txt.

#include <QDate>
#include <QLocale>
#include <QString>

namespace vorn::common {

// The file of the day `dia` under the program folder `pastaPrograma` (ending in "/").
QString NomeArquivoErroLongo(const QString& pastaPrograma, const QDate& dia, const QLocale& local);

// Writes `mensagem` to the day's file (creating Temp when needed; the file is replaced whole) and
// returns its path. A folder that cannot be created or a file that cannot be written throws
// std::runtime_error naming it.
QString GravaErroLongo(const QString& pastaPrograma, const QString& mensagem, const QDate& dia,
                       const QLocale& local);

} // namespace vorn::common
