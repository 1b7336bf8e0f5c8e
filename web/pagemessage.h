#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <string>
#include <variant>

namespace velkan::web {

// What a page may send a control, one JSON object a message, "type" naming it. Texts arrive as
// the page's strings (UTF-8 on the wire) and are kept as UTF-8 here.
struct ActivateMessage {
    std::string param, search, banWord, searchBanWord, replaceParam;
};
struct SearchMessage {
    std::string text;
};
struct StopMessage {};
// The rows the page shows: at most kMaxWindowRows from first.
struct WindowMessage {
    int first = 0;
    int count = 0;
};
struct SortMessage {
    int column = 0;
    bool ascending = true;
};
// A row the page names, with the order generation it saw. Select sets the selection (row -1:
// none); Click is a mouse click on the row; Connect is the download button, Enter or a double
// click on it (row -1: the download button with nothing selected); ServerInfo is the
// server-information button, asking the row's server for its figures.
struct RowMessage {
    enum class Action { Select, Click, Connect, ServerInfo };
    Action action = Action::Select;
    int row = -1;
    std::uint32_t generation = 0;
};

// The page closed its server-information window: the conversation with the server ends.
struct ServerInfoCloseMessage {};

using PageMessage = std::variant<ActivateMessage, SearchMessage, StopMessage, WindowMessage,
                                 SortMessage, RowMessage, ServerInfoCloseMessage>;

inline constexpr int kMaxWindowRows = 1000;
// The most bytes of one text a page may pass; longer ones are cut by the engine anyway.
inline constexpr qsizetype kMaxTextBytes = 8192;

// Why a message was refused: a reason word for the page's code and a sentence for people.
struct MessageError {
    QString reason;
    QString message;
};

std::variant<PageMessage, MessageError> ParsePageMessage(QByteArrayView text);

} // namespace velkan::web
