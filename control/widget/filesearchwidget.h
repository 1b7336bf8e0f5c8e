#pragma once

// velkan::FileSearchWidget: the file-search control as a Qt widget. It creates the control
// through the registry as any container would, shows its panel inside itself from the moment it
// is first shown, and keeps the panel sized to itself, so layouts, Designer forms and QUiLoader
// place it like any other widget.

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <QtGlobal>

#include <memory>

namespace velkan {

class Q_DECL_EXPORT FileSearchWidget : public QWidget {
    Q_OBJECT
    // The control's five text properties. The panel reads param, search, searchBanWord and
    // replaceParam once, when it is first shown; set them before that (in code, in a form or
    // through loadProperties). banWord is kept and saved only.
    Q_PROPERTY(QString param READ param WRITE setParam DESIGNABLE true)
    Q_PROPERTY(QString search READ search WRITE setSearch DESIGNABLE true)
    Q_PROPERTY(QString banWord READ banWord WRITE setBanWord DESIGNABLE true)
    Q_PROPERTY(QString searchBanWord READ searchBanWord WRITE setSearchBanWord DESIGNABLE true)
    Q_PROPERTY(QString replaceParam READ replaceParam WRITE setReplaceParam DESIGNABLE true)

public:
    // Creates the control (registered as "VELKANFILESEARCH.VelkanFileSearchCtrl.1"); when that
    // fails the widget stays empty and lastError() says why.
    explicit FileSearchWidget(QWidget* parent = nullptr);
    ~FileSearchWidget() override;

    FileSearchWidget(const FileSearchWidget&) = delete;
    FileSearchWidget& operator=(const FileSearchWidget&) = delete;

    // The start-up parameter: Base64 of the service's encrypted user fields.
    [[nodiscard]] QString param() const;
    void setParam(const QString& value);
    // A search started as soon as the panel is shown; empty for none.
    [[nodiscard]] QString search() const;
    void setSearch(const QString& value);
    [[nodiscard]] QString banWord() const;
    void setBanWord(const QString& value);
    // Comma-separated words whose results are left out; "*word" also matches inside names.
    [[nodiscard]] QString searchBanWord() const;
    void setSearchBanWord(const QString& value);
    // Characters ignored when ban words are matched, separated by "z".
    [[nodiscard]] QString replaceParam() const;
    void setReplaceParam(const QString& value);

    // True when the control was created; false after a failure that lastError() explains.
    [[nodiscard]] bool isValid() const;
    // Why the control could not be created or shown: the registry files read, the module's
    // path and the loader's reason. Empty when nothing failed.
    [[nodiscard]] QString lastError() const;

    // The properties as the control persists them, keyed "param", "search", "banWord",
    // "bansearch", "replaceParam", "_Version", "_ExtentX", "_ExtentY" and "_StockProps".
    [[nodiscard]] QVariantMap saveProperties() const;
    // Loads a set saved before (or a page's parameters); names missing from it keep their
    // values. False when the control refused it or does not exist.
    bool loadProperties(const QVariantMap& properties);

    // The application server to ask for the list of sharing users, in place of the product's
    // own; takes effect when the panel is first shown.
    void setAppServer(const QString& host, quint16 port);
    // The rows the results list shows now, folder rows included; 0 before the panel is shown.
    [[nodiscard]] int rowCount() const;
    // Selects the row and runs the double-click action (connectRequested follows for a file's
    // row). False when the row does not exist or the panel is not shown yet.
    bool connectToRow(int row);
    // For form designers: the panel is shown but starts no search. Set before it is first shown.
    void setDesignMode(bool designMode);

    [[nodiscard]] QSize sizeHint() const override;

public slots:
    // Abandons any search under way and searches for text; ignored before the panel is shown.
    void velkanSearch(const QString& text);
    // Stops a search as the panel's stop button does.
    void stopSearch();
    // Shows the control's about box modally.
    void aboutBox();

signals:
    // The user asked to connect to the sharing user offering a file: nick is that user's
    // nickname; folder the file's folder as text (the path before its last backslash, or the
    // whole path when it has none); rawFolder the event's folder argument exactly as the control
    // raised it, in UTF-8: Base64 of the folder's CP949 bytes, or the unencoded path.
    void connectRequested(const QString& nick, const QString& folder, const QByteArray& rawFolder);
    // A search came to rest: the list was used up and every answer is in, the server list
    // could not be fetched, or the search was stopped.
    void searchIdle();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace velkan
