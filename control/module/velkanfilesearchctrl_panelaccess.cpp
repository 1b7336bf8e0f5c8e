// The C++ seam hosts and tests reach by QueryInterface: where the application server is, and a
// view of the panel a headless host can drive.

#include "control/module/velkanfilesearchctrl.h"

#include "channel/base64codec.h"
#include "search/connectfolder.h"
#include "channel/cp949convert.h"
#include "ui/resultlistctrl.h"
#include "search/resulttexts.h"
#include "ui/searchpanel.h"
#include "ui/serverinfodialog.h"

#include <QLabel>
#include <QProgressBar>

namespace velkan::control {

using com::S_OK;

namespace {

// What read gives of the panel, into value: the checks every reader of the panel makes.
template <typename Value, typename Read>
HRESULT ReadPanel(ui::SearchPanel* panel, Value* value, const Read& read)
{
    if (value == nullptr) {
        return com::E_POINTER;
    }
    if (panel == nullptr) {
        return com::E_UNEXPECTED;
    }
    *value = read(*panel);
    return S_OK;
}

// The text of one of the panel's labels, in UTF-8.
HRESULT LabelText(ui::SearchPanel* panel, QLabel& (ui::SearchPanel::*label)() const, std::string* text)
{
    return ReadPanel(panel, text, [label](ui::SearchPanel& shown) { return (shown.*label)().text().toStdString(); });
}

} // namespace

HRESULT CVelkanFileSearchCtrl::SetAppServer(const std::string& host, int port)
{
    search::AppServerEndpoint endpoint;
    endpoint.host = host;
    endpoint.port = port;
    m_appServer = endpoint;
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::SetMessageHandler(std::function<void(const std::string&)> handler)
{
    m_messageHandler = std::move(handler);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::SetIdleHandler(std::function<void()> handler)
{
    m_idleHandler = std::move(handler);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::SetDesignMode(bool designMode)
{
    m_designMode = designMode;
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::ConnectFolder(std::string* text)
{
    if (text == nullptr) {
        return com::E_POINTER;
    }
    if (!m_connectFolder) {
        return com::E_UNEXPECTED;
    }
    *text = *m_connectFolder;
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::RowCount(int* rows)
{
    return ReadPanel(m_panel.data(), rows, [](ui::SearchPanel& shown) { return shown.Model().rowCount(); });
}

HRESULT CVelkanFileSearchCtrl::Row(int row, RowView* view)
{
    if (view == nullptr) {
        return com::E_POINTER;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    const search::ResultModel& model = m_panel->Model();
    if (row < 0 || row >= model.rowCount()) {
        return com::E_INVALIDARG;
    }
    const search::ResultRow& line = model.Row(row);
    view->nick = cp949::ToUtf8(model.CellText(row, 0));
    view->name = cp949::ToUtf8(model.CellText(row, 1));
    view->size = cp949::ToUtf8(model.CellText(row, 2));
    view->date = cp949::ToUtf8(model.CellText(row, 3));
    view->speedLevel = search::SpeedLevel(line.record->speed);
    view->image = line.image;
    view->folder = line.kind == search::ResultRow::Kind::Folder;
    view->bytes = view->folder ? -1 : line.record->size;
    const std::string_view path = line.record->path();
    const std::optional<std::string_view> folder = search::ConnectFolder(path);
    view->folderText = cp949::ToUtf8(folder.value_or(path));
    view->rawFolder = folder ? channel::Base64Codec::Encode(*folder) : cp949::ToUtf8(path);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::FoundText(std::string* text)
{
    return LabelText(m_panel.data(), &ui::SearchPanel::FoundLabel, text);
}

HRESULT CVelkanFileSearchCtrl::ProgressText(std::string* text)
{
    return LabelText(m_panel.data(), &ui::SearchPanel::ProgressLabel, text);
}

HRESULT CVelkanFileSearchCtrl::PicturesFinal(bool* isFinal)
{
    return ReadPanel(m_panel.data(), isFinal, [](ui::SearchPanel& shown) { return shown.Icons().PicturesFinal(); });
}

HRESULT CVelkanFileSearchCtrl::Progress(int* percent)
{
    return ReadPanel(m_panel.data(), percent, [](ui::SearchPanel& shown) { return shown.ProgressBar().value(); });
}

HRESULT CVelkanFileSearchCtrl::ConnectToRow(int row)
{
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    ui::ResultListCtrl& list = m_panel->ResultList();
    const bool exists = row >= 0 && row < m_panel->Model().rowCount();
    if (exists) {
        list.SelectRow(row);
    } else {
        list.clearSelection();
    }
    // With no selection the action says so through the message box, as the button does.
    m_panel->Engine().ConnectToSelected();
    return exists ? S_OK : com::E_INVALIDARG;
}

HRESULT CVelkanFileSearchCtrl::QueryServerInfo(int row, std::function<void(const ServerInfoView&)> answered,
                                               std::function<void(const std::string& unanswered)> ended)
{
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    std::unique_ptr<search::ServerInfoQuery> query = m_panel->Engine().QueryServerInfo(row);
    if (!query) {
        return com::E_INVALIDARG;
    }
    search::ServerInfoQuery* const asked = query.get();
    auto* dialog = new ui::ServerInfoDialog(std::move(query));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (answered) {
        QObject::connect(asked, &search::ServerInfoQuery::answered, dialog,
                         [answered = std::move(answered)](const search::ServerInfoTexts& texts) {
                             answered({.download = texts.download.toStdString(),
                                       .upload = texts.upload.toStdString(),
                                       .count = texts.count.toStdString(),
                                       .size = texts.size.toStdString()});
                         });
    }
    if (ended) {
        QObject::connect(asked, &search::ServerInfoQuery::ended, dialog, [asked, ended = std::move(ended)] {
            const std::optional<search::ServerInfoFailure> failure = asked->Failure();
            ended(failure ? std::string(search::ServerInfoFailureName(*failure)) : std::string());
        });
    }
    std::erase_if(m_serverInfoDialogs, [](const QPointer<ui::ServerInfoDialog>& open) { return open.isNull(); });
    m_serverInfoDialogs.emplace_back(dialog);
    dialog->show();
    return S_OK;
}

} // namespace velkan::control
