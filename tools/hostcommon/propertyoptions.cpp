#include "tools/hostcommon/propertyoptions.h"

#include <QCommandLineParser>
#include <QString>

namespace velkan::host {

namespace {

struct PropertyOption {
    const char* name; // without its "--"
    std::optional<std::string> PropertyOptions::*member;
    const char* valueName;
    const char* description;
};

constexpr PropertyOption kPropertyOptions[] = {
    {"param", &PropertyOptions::param, "P", "the protected start-up parameter (see velkan-param)"},
    {"search", &PropertyOptions::search, "TEXT", "the search, stored as the control's search property"},
    {"ban-words", &PropertyOptions::searchBanWord, "W", "ban words, \",\" separated, \"*word\" strict (SearchBanWord)"},
    {"strip", &PropertyOptions::replaceParam, "S", "strings ignored in ban-word matching, \"z\" separated (replaceParam)"},
    {"ban-word", &PropertyOptions::banWord, "B", "the banWord property"},
};

} // namespace

void AddPropertyOptions(QCommandLineParser& parser)
{
    for (const PropertyOption& option : kPropertyOptions) {
        parser.addOption({QString::fromLatin1(option.name), QString::fromUtf8(option.description),
                          QString::fromLatin1(option.valueName)});
    }
}

PropertyOptions ReadPropertyOptions(const QCommandLineParser& parser)
{
    PropertyOptions options;
    for (const PropertyOption& option : kPropertyOptions) {
        const QString name = QString::fromLatin1(option.name);
        if (parser.isSet(name)) {
            options.*option.member = parser.value(name).toStdString();
        }
    }
    return options;
}

comhost::MemoryPropertyBag PropertySet(const PropertyOptions& options)
{
    comhost::MemoryPropertyBag bag;
    const std::pair<const char16_t*, const std::optional<std::string>*> entries[] = {
        {u"param", &options.param},          {u"search", &options.search},
        {u"banWord", &options.banWord},      {u"bansearch", &options.searchBanWord},
        {u"replaceParam", &options.replaceParam},
    };
    for (const auto& [name, value] : entries) {
        if (*value) {
            bag.Write(name, QString::fromStdString(**value).toStdU16String());
        }
    }
    return bag;
}

} // namespace velkan::host
