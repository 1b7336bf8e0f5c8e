#pragma once

// The theme-icon lookup as it was before the themes' folders were listed once, frozen here as
// the baseline that search_bench measures today's lookup against. Not used by the product.

#include "ui/themeiconlookup.h"

#include <QIcon>
#include <QString>
#include <QStringList>

#include <vector>

namespace velkan::bench::oldlookup {

class OldThemeIconLookup {
public:
    // Reads the themes' index files at once (as today's lookup reads them).
    OldThemeIconLookup(const QStringList& searchFolders, const QStringList& themes);

    // Asks the file system for each name tried in every folder of every theme, and hands the
    // icon every size found, each of which the icon decodes.
    [[nodiscard]] QIcon Find(const QStringList& names) const;

private:
    using Theme = std::vector<ui::ThemeIconLookup::Directory>;

    std::vector<Theme> m_themes;
};

} // namespace velkan::bench::oldlookup
