#pragma once

// The process's numbers in German (LC_NUMERIC=de_DE.UTF-8, a decimal comma) for as long as the
// object lives, as in a host started by a German user. Systems often ship without that locale
// generated, so it is compiled from the `locales` package's sources into a folder of its own
// when setlocale does not know it.

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

namespace velkan::test {

class DecimalCommaLocale {
public:
    DecimalCommaLocale() : m_previous(std::setlocale(LC_NUMERIC, nullptr))
    {
        if (std::setlocale(LC_NUMERIC, kName) == nullptr) {
            Generate();
        }
        if (std::setlocale(LC_NUMERIC, nullptr) != std::string(kName) && m_problem.empty()) {
            m_problem = "setlocale refused " + std::string(kName) + " even after generating it";
        }
    }

    ~DecimalCommaLocale()
    {
        // The previous locale may itself come from the system's folders, which LOCPATH hides.
        if (m_pathSet) {
            unsetenv("LOCPATH");
        }
        std::setlocale(LC_NUMERIC, m_previous.c_str());
    }

    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    // Empty once the locale is in force; otherwise why it could not be made.
    const std::string& Problem() const { return m_problem; }

private:
    static constexpr const char* kName = "de_DE.UTF-8";

    void Generate()
    {
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty()) {
            m_problem = "localedef is not installed";
            return;
        }
        m_folder.emplace();
        if (!m_folder->isValid()) {
            m_problem = "no temporary folder for the locale: " + m_folder->errorString().toStdString();
            return;
        }
        QProcess process;
        process.start(localedef, {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                  QStringLiteral("UTF-8"), m_folder->filePath(QString::fromLatin1(kName))});
        // A bound for a hung tool, not a measure: compiling one locale takes a few seconds.
        if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            m_problem = "localedef could not make " + std::string(kName) + " (is the locales package installed?): " +
                        process.readAllStandardError().toStdString();
            return;
        }
        setenv("LOCPATH", m_folder->path().toLocal8Bit().constData(), 1);
        m_pathSet = true;
        std::setlocale(LC_NUMERIC, kName);
    }

    std::string m_previous;
    std::optional<QTemporaryDir> m_folder;
    bool m_pathSet = false;
    std::string m_problem;
};

} // namespace velkan::test
