#pragma once

#include "search/resultrow.h"
#include "search/resultstore.h"
#include "search/searchresult.h"
#include "search/sortmemory.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace velkan::search {

// The rows of the results list. It owns the records of the current search; rows arrive in
// batches (one reply line at a time), so a view lays out once per batch, never per row.
class ResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role { ImageRole = Qt::UserRole + 1, SpeedLevelRole };

    // A full list takes about 100 MB (README.md gives the measured figures); a network that
    // finds more cannot take the host's memory with it.
    static constexpr int kDefaultRowLimit = 1'000'000;

    explicit ResultModel(QObject* parent = nullptr);
    ~ResultModel() override;

    // Takes a record into the current search; rows may then point at it.
    const SearchResult* AddRecord(const SearchResult::Fields& fields);
    // Appends the rows that fit under the row limit. Callers that must keep a folder row with
    // its file row ask HasRoomFor first.
    void AppendRows(const std::vector<ResultRow>& rows);
    // Drops every row and every record.
    void Clear();

    // The most rows the list holds; a seam for tests.
    void SetRowLimit(int rows) { m_rowLimit = rows < 0 ? 0 : rows; }
    [[nodiscard]] int RowLimit() const { return m_rowLimit; }
    // Whether this many rows more than the list holds now still fit.
    [[nodiscard]] bool HasRoomFor(std::size_t rows) const { return rows <= RoomLeft(); }

    [[nodiscard]] const ResultRow& Row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    [[nodiscard]] std::size_t RecordCount() const { return m_records.Count(); }

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
    [[nodiscard]] std::size_t RoomLeft() const
    {
        const auto limit = static_cast<std::size_t>(m_rowLimit);
        return m_rows.size() < limit ? limit - m_rows.size() : 0;
    }
    void ApplyOrder(const SortBuffer<std::uint32_t>& order);

    // The rows reserved at once; a larger row limit lets the list grow beyond by doubling.
    static constexpr std::size_t kReservedRows = kDefaultRowLimit;

    ResultStore m_records;
    std::vector<ResultRow> m_rows;
    int m_rowLimit = kDefaultRowLimit;
};

} // namespace velkan::search
