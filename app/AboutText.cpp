#include "app/AboutText.h"

namespace zel {

namespace {

// Grouped thousands whatever the locale's defaults (the C locale leaves them out).
QString Grouped(int64_t n, QLocale locale) {
  locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
  return locale.toString(static_cast<qlonglong>(n));
}

}  // namespace

QString TreeStatisticText(const TTreeStatistic& statistic, bool isUnicode, const QLocale& locale) {
  return QString("XML tree statistic:\n   Nodes: %1\n   Depth: %2\n   Characters: %3")
             .arg(Grouped(statistic.Nodes, locale), Grouped(statistic.Depth, locale),
                  Grouped(statistic.Characters, locale)) +
         (isUnicode ? "\n   Unicode: Yes" : "\n   Unicode: No");
}

QString AboutMessage(const QString& statistic) {
  return "Simple \"as is\" XML documents editor.\n\n" + statistic;
}

QString AboutBoxText(const QString& appTitle, const QString& message, quint16 firstYear,
                     quint16 lastYear) {
  const QString years =
      lastYear == 0 ? QString::number(firstYear) : QString("%1-%2").arg(firstYear).arg(lastYear);
  return appTitle + "\n\n" + message + "\n\nWeb site: " + kWebAddress +
         "\nE-mail: " + kMailAddress + "\n\nCopyright \u00A9 " + years + " " + kAuthor;
}

}  // namespace zel
