#pragma once

#include <QString>
#include <QtGlobal>

namespace tv {

// The text recorded for a failed navigation: URL-moniker codes (0x800C....)
// and HTTP statuses, compared as signed 32-bit numbers. A code the table does
// not know is written in decimal.
QString navigationErrorText(qint32 statusCode);

} // namespace tv
