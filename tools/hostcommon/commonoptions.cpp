#include "tools/hostcommon/commonoptions.h"

#include "control/appserver/appserversetting.h"
#include "tools/hostcommon/propertyoptions.h"
#include "velkanversion.h"

#include <QCommandLineParser>

namespace velkan::host {

void AddCommonOptions(QCommandLineParser& parser, const char* description)
{
    parser.setApplicationDescription(QString::fromUtf8(description));
    parser.addHelpOption();
    parser.addVersionOption();
    AddPropertyOptions(parser);
    parser.addOption({QStringLiteral("app-server"),
                      QStringLiteral("where the application server listens (default: the product's)"),
                      QStringLiteral("HOST:PORT")});
}

std::optional<EarlyAnswer> ParseCommonOptions(QCommandLineParser& parser, const QStringList& arguments,
                                              const std::string& program, const std::string& usage)
{
    if (!parser.parse(arguments)) {
        return EarlyAnswer{CommandLineAction::Usage, program + ": " + parser.errorText().toStdString() + "\n" + usage};
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return EarlyAnswer{CommandLineAction::Help, usage};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return EarlyAnswer{CommandLineAction::Version, program + " " + std::string(version::kProjectVersion) + "\n"};
    }
    if (!parser.positionalArguments().isEmpty()) {
        return EarlyAnswer{CommandLineAction::Usage, program + ": unexpected argument " +
                                                         parser.positionalArguments().constFirst().toStdString() +
                                                         "\n" + usage};
    }
    return std::nullopt;
}

std::optional<std::string> ReadAppServerOption(const QCommandLineParser& parser, AppServerOption& server)
{
    if (!parser.isSet(QStringLiteral("app-server"))) {
        return std::nullopt;
    }
    const auto endpoint = control::ParseHostPort(parser.value(QStringLiteral("app-server")).toStdString());
    if (!endpoint) {
        return "--app-server needs HOST:PORT";
    }
    server.host = endpoint->first;
    server.port = endpoint->second;
    return std::nullopt;
}

} // namespace velkan::host
