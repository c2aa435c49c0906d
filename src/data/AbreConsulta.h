#pragma once

// The single way a query is (re)opened: every database read of the program goes through it.

#include "data/Query.h"

#include <QString>
#include <string>

namespace vorn::data {

// Closes the query (whatever it held is discarded), replaces its whole SQL text by `VSQL`, opens
// it and returns true. An error while opening (connection, SQL) reaches the caller unchanged as
// a DatabaseError; the query is closed then.
bool AbreConsulta(Query& VQuery, const QString& VSQL);
// The same with the SQL text as the bytes sent to the server (Windows-1252), for texts built
// from fixed ASCII pieces and numbers.
bool AbreConsulta(Query& VQuery, std::string VSQL);
bool AbreConsulta(Query& VQuery, const char* VSQL);

} // namespace vorn::data
