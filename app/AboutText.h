#pragma once
// The texts of the About box: the document statistics and the box's whole text.

#include <QLocale>
#include <QString>

#include "editor/TreeStatistic.h"

namespace zel {

inline constexpr const char* kWebAddress = "https://www.example.org/zelxmleditor/";
inline constexpr const char* kMailAddress = "zelxmleditor@example.org";
inline constexpr const char* kAuthor = "The Zel XML Editor developers";

// "XML tree statistic:" with the counts in the locale's digit grouping, then the Unicode line.
QString TreeStatisticText(const TTreeStatistic& statistic, bool isUnicode,
                          const QLocale& locale = QLocale::system());
// "Simple \"as is\" XML documents editor." and the statistic.
QString AboutMessage(const QString& statistic);
// The title, the message, the web-site and contact lines and the copyright line. The years
// are "first" when lastYear is 0, else "first-last".
QString AboutBoxText(const QString& appTitle, const QString& message, quint16 firstYear,
                     quint16 lastYear);

}  // namespace zel
