#pragma once

#include "searchresult.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <vector>

namespace velkan::search {

// A list row: a folder row and the file row after it point at the same record.
struct ResultRow {
    enum class Kind : std::uint8_t { Folder, File };

    const SearchResult* record = nullptr;
    std::int32_t image = -1;
    Kind kind = Kind::File;
};

// The rows of the results list. It owns the records of the current search; rows arrive in
// batches (one reply line at a time), so a view lays out once per batch, never per row.
class ResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role { ImageRole = Qt::UserRole + 1, SpeedLevelRole };

    explicit ResultModel(QObject* parent = nullptr);
    ~ResultModel() override;

    // Takes a record into the current search; rows may then point at it.
    const SearchResult* AddRecord(const SearchResult::Fields& fields);
    void AppendRows(const std::vector<ResultRow>& rows);
    // Drops every row and every record.
    void Clear();

    [[nodiscard]] const ResultRow& Row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    [[nodiscard]] int RowCount() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] std::size_t RecordCount() const { return m_records.size(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Orders the rows by CompareResults; rows with equal keys keep their order, so a folder row
    // stays just before its file row.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // A column's text for a row, in CP949 (column 4 has none).
    [[nodiscard]] std::string CellText(int row, int column) const;

private:
    void ApplyOrder(const std::vector<std::uint32_t>& order);

    std::vector<std::unique_ptr<SearchResult>> m_records;
    std::vector<ResultRow> m_rows;
};

} // namespace velkan::search
