#pragma once

#include <QString>

#include <string>

namespace velkan::search {

// The panel's buttons, by their command ids.
enum class PanelButton { Download = 1, Stop = 2, Connect = 3, ServerInfo = 4 };

// What the search engine asks of the panel's window. The rows themselves travel through the
// ResultModel; everything else the engine shows or asks for passes here.
class SearchView {
public:
    virtual ~SearchView() = default;

    virtual void SetButtonEnabled(PanelButton button, bool enabled) = 0;
    virtual void SetButtonVisible(PanelButton button, bool visible) = 0;
    virtual void SetProgressPosition(int percent) = 0;
    // The progress and found-count texts always reach the screen together.
    virtual void ShowProgressTexts(const QString& progress, const QString& found) = 0;
    virtual void SetIdentityLabel(const QString& text) = 0;
    // The first selected row of the results list, or -1.
    [[nodiscard]] virtual int SelectedRow() const = 0;
    virtual void ShowMessage(const QString& text) = 0;
    // The host's Connect event: the server's nickname and the file's folder, both CP949.
    virtual void FireConnect(const std::string& nick, const std::string& folder) = 0;
};

} // namespace velkan::search
