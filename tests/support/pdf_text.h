// A PDF read back with poppler-utils, as the report's tests compare it with the composed lines.
#pragma once

#include <QProcess>
#include <QStringList>

namespace r4860::testing {

inline QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) qWarning("%s failed", qPrintable(program));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Non-empty lines with their blanks squeezed: the text layer spaces words by their position.
inline QStringList Squeezed(const QStringList& lines) {
    QStringList kept;
    for (const QString& line : lines)
        if (const QString s = line.simplified(); !s.isEmpty()) kept << s;
    return kept;
}

inline QStringList PdfLines(const QString& pdf) { return Squeezed(Run("pdftotext", {"-layout", pdf, "-"}).split('\n')); }

}  // namespace r4860::testing
