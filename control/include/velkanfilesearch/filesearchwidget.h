#pragma once

// velkan::FileSearchWidget: the file-search control as a Qt widget. It creates the control
// through the registry as any container would, shows its panel inside itself from the moment it
// is first shown, and keeps the panel sized to itself, so layouts, Designer forms and QUiLoader
// place it like any other widget.

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QWidget>
#include <QtGlobal>

#include <memory>

class QAbstractItemModel;

/// Everything VelkanFileSearch declares.
namespace velkan {

/// The file-search control as a Qt widget: it creates the control through the registry as any
/// container would, shows the control's panel inside itself from the moment it is first shown
/// and keeps the panel sized to itself, so layouts, Designer forms and QUiLoader place it like
/// any other widget. The properties param, search, banWord, searchBanWord and replaceParam are
/// read by the panel once, when it is first shown; progress, foundCount and selectedRow follow
/// the search.
class Q_DECL_EXPORT FileSearchWidget : public QWidget {
    Q_OBJECT
    // The control's five text properties. The panel reads param, search, searchBanWord and
    // replaceParam once, when it is first shown; set them before that (in code, in a form or
    // through loadProperties). banWord is kept and saved only. Each notifies a real change.
    Q_PROPERTY(QString param READ param WRITE setParam NOTIFY paramChanged DESIGNABLE true)
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged DESIGNABLE true)
    Q_PROPERTY(QString banWord READ banWord WRITE setBanWord NOTIFY banWordChanged DESIGNABLE true)
    Q_PROPERTY(QString searchBanWord READ searchBanWord WRITE setSearchBanWord NOTIFY searchBanWordChanged
                   DESIGNABLE true)
    Q_PROPERTY(QString replaceParam READ replaceParam WRITE setReplaceParam NOTIFY replaceParamChanged
                   DESIGNABLE true)
    // How the search under way is getting on; both start at 0 with each search.
    Q_PROPERTY(int progress READ progress NOTIFY progressChanged DESIGNABLE false)
    Q_PROPERTY(int foundCount READ foundCount NOTIFY foundCountChanged DESIGNABLE false)
    Q_PROPERTY(int selectedRow READ selectedRow NOTIFY selectionChanged DESIGNABLE false)

public:
    /// The fields of a row under resultsModel(), each role also known by the name roleNames()
    /// gives it (in parentheses).
    enum ResultRole {
        NickRole = Qt::UserRole + 1, ///< (nick) the sharing user's nickname, QString
        NameRole,                    ///< (name) the name column's text: the file's or folder's name
        SizeRole,                    ///< (size) a file's size in bytes, qint64; invalid for a folder row
        DateRole,                    ///< (date) the date as the list shows it
        SpeedLevelRole,              ///< (speedLevel) the speed gauge's level, 1 to 5
        KindRole,                    ///< (kind) "folder" or "file"
        FolderRole,                  ///< (folder) the folder connectRequested names for this row
        RawFolderRole,               ///< (rawFolder) the same as the control's event raises it
    };
    Q_ENUM(ResultRole)

    /// Creates the control (registered as "VELKANFILESEARCH.VelkanFileSearchCtrl.1"); when that
    /// fails the widget stays empty and lastError() says why.
    explicit FileSearchWidget(QWidget* parent = nullptr);
    ~FileSearchWidget() override;

    FileSearchWidget(const FileSearchWidget&) = delete;
    FileSearchWidget& operator=(const FileSearchWidget&) = delete;

    /// The start-up parameter: Base64 of the service's encrypted user fields.
    [[nodiscard]] QString param() const;
    /// Sets param; paramChanged follows when the value the control keeps changes.
    void setParam(const QString& value);
    /// A search started as soon as the panel is shown; empty for none.
    [[nodiscard]] QString search() const;
    /// Sets search; searchChanged follows a real change.
    void setSearch(const QString& value);
    /// A word kept and saved with the other properties; nothing reads it.
    [[nodiscard]] QString banWord() const;
    /// Sets banWord; banWordChanged follows a real change.
    void setBanWord(const QString& value);
    /// Comma-separated words whose results are left out; "*word" also matches inside names.
    [[nodiscard]] QString searchBanWord() const;
    /// Sets searchBanWord; searchBanWordChanged follows a real change.
    void setSearchBanWord(const QString& value);
    /// Characters ignored when ban words are matched, separated by "z".
    [[nodiscard]] QString replaceParam() const;
    /// Sets replaceParam; replaceParamChanged follows a real change.
    void setReplaceParam(const QString& value);

    /// True when the control was created; false after a failure that lastError() explains.
    [[nodiscard]] bool isValid() const;
    /// Why the control could not be created or shown: the registry files read, the module's
    /// path and the loader's reason; or a warning about a setting that was ignored. Empty when
    /// nothing failed.
    [[nodiscard]] QString lastError() const;

    /// The properties as the control persists them, keyed "param", "search", "banWord",
    /// "bansearch", "replaceParam", "_Version", "_ExtentX", "_ExtentY" and "_StockProps".
    Q_INVOKABLE [[nodiscard]] QVariantMap saveProperties() const;
    /// Loads a set saved before (or a page's parameters); names missing from it keep their
    /// values, and each property it changes notifies. False when the control refused it or does
    /// not exist.
    Q_INVOKABLE bool loadProperties(const QVariantMap& properties);

    /// The application server to ask for the list of sharing users, in place of the product's
    /// own (127.0.0.1:8081, or VELKAN_APP_SERVER=HOST:PORT from the environment); takes effect
    /// when the panel is first shown.
    Q_INVOKABLE void setAppServer(const QString& host, quint16 port);
    /// The rows the results list shows now, folder rows included; 0 before the panel is shown.
    Q_INVOKABLE [[nodiscard]] int rowCount() const;
    /// Selects the row and runs the double-click action (connectRequested follows for a file's
    /// row). False when the row does not exist or the panel is not shown yet.
    Q_INVOKABLE bool connectToRow(int row);

    /// The search's progress in percent, as the panel's bar shows it.
    [[nodiscard]] int progress() const;
    /// The rows the search has found so far, as the panel counts them.
    [[nodiscard]] int foundCount() const;
    /// The row selected in the results list, or -1.
    [[nodiscard]] int selectedRow() const;
    /// The results list's rows, read-only, in the panel's current order and indexed as
    /// connectToRow takes them; the same five columns as the list with the fields of each row
    /// under ResultRole. It follows the list (rows inserted as they arrive, layoutChanged when
    /// the user sorts, a reset when a search starts) and lives as long as the widget.
    [[nodiscard]] QAbstractItemModel* resultsModel() const;
    /// What became of each server the current search contacted, in the order contacted: one map
    /// each with the keys of velkan-search's outcome records ("nick", "host", "port", "outcome",
    /// "end", the line and item counts, "bytesSent", "bytesReceived", "firstByteMs", "closeMs",
    /// "error"). Complete once searchIdle has been emitted; empty before the panel is shown.
    Q_INVOKABLE [[nodiscard]] QVariantList outcomes() const;
    /// The fetch of the server list behind the current search, keyed as velkan-search's fetch
    /// record ("outcome", "reused", "entries", "kept", ...). Empty before the panel is shown.
    Q_INVOKABLE [[nodiscard]] QVariantMap fetchOutcome() const;
    /// For form designers: the panel is shown but starts no search. Set before it is first shown.
    void setDesignMode(bool designMode);

    /// The panel's own size once it is shown; before, the size the control's saved extent gives.
    [[nodiscard]] QSize sizeHint() const override;

public slots:
    /// Abandons any search under way and searches for text; ignored before the panel is shown.
    void velkanSearch(const QString& text);
    /// Stops a search as the panel's stop button does.
    void stopSearch();
    /// Shows the control's about box modally.
    void aboutBox();

signals:
    /// The user asked to connect to the sharing user offering a file: nick is that user's
    /// nickname; folder the file's folder as text (the path before its last backslash, or the
    /// whole path when it has none); rawFolder the event's folder argument exactly as the control
    /// raised it, in UTF-8: Base64 of the folder's CP949 bytes, or the unencoded path.
    void connectRequested(const QString& nick, const QString& folder, const QByteArray& rawFolder);
    /// A search came to rest: the list was used up and every answer is in, the server list
    /// could not be fetched, or the search was stopped.
    void searchIdle();

    /// The param property changed, by setParam or loadProperties.
    void paramChanged(const QString& param);
    /// The search property changed, by setSearch or loadProperties.
    void searchChanged(const QString& search);
    /// The banWord property changed, by setBanWord or loadProperties.
    void banWordChanged(const QString& banWord);
    /// The searchBanWord property changed, by setSearchBanWord or loadProperties.
    void searchBanWordChanged(const QString& searchBanWord);
    /// The replaceParam property changed, by setReplaceParam or loadProperties.
    void replaceParamChanged(const QString& replaceParam);
    /// The search's progress moved; 0 as a search starts, 100 once every server was contacted.
    void progressChanged(int percent);
    /// Rows were found, or a search started (0).
    void foundCountChanged(int count);
    /// The selected row changed, by the user, by connectToRow or because the rows moved; -1 for
    /// none.
    void selectionChanged(int row);

protected:
    /// Shows the panel the first time the widget is shown.
    void showEvent(QShowEvent* event) override;
    /// Keeps the panel the widget's size.
    void resizeEvent(QResizeEvent* event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace velkan
