#pragma once
// DBGrid1: a read-only grid over the record store's view. The model asks the
// store only for the rows it shows, and tells the view about changes only
// when the store sends its data-change notification, so while notifications
// are frozen the grid keeps showing the state from before.
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>
#include <cstdint>

namespace store { class RecordStore; }

class MrizkaModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit MrizkaModel(store::RecordStore& data, QObject* parent = nullptr);
  ~MrizkaModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Follows the store after its data-change notification.
  void obnov();
  // The field list changed order (a column was dragged).
  void polePresunuta();

 private:
  store::RecordStore& data_;
  int listener_ = -1;
  int rows_ = 0;
  int columns_ = 0;
  std::uint64_t generation_ = 0;
};

// The record indicator: the narrow column at the left that marks the
// current record.
class IndikatorZaznamu : public QHeaderView {
  Q_OBJECT
 public:
  explicit IndikatorZaznamu(QWidget* parent);
  QSize sizeHint() const override;

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// The title row. After its own painting it lets the main window paint over
// it (the sort marker), while the grid shows rows.
class TitulkyMrizky : public QHeaderView {
  Q_OBJECT
 public:
  explicit TitulkyMrizky(QWidget* parent);

 signals:
  // Painting on the title row's viewport, after the titles themselves.
  void vykresleno(QPainter* painter);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The grid keeps the classic geometry of the register's grid: a record
// indicator 11 pixels wide, and a 1-pixel line after it and after every
// column, outside the column's width. So column k starts at
// 12 + Σ(width of column i + 1) for i < k in the grid's client area.
class TMrizka : public QTableView {
  Q_OBJECT
 public:
  static constexpr int kSirkaIndikatoru = 11;
  static constexpr int kCara = 1;

  TMrizka(store::RecordStore& data, QWidget* parent);
  MrizkaModel* model() const { return model_; }
  TitulkyMrizky* titulky() const { return titulky_; }
  // Column widths without their line (hide QTableView's, which count it).
  int columnWidth(int column) const { return QTableView::columnWidth(column) - kCara; }
  void setColumnWidth(int column, int width) { QTableView::setColumnWidth(column, width + kCara); }
  // Where the title row's viewport lies in the grid's client area, whose
  // (0, 0) is the top-left corner of the record indicator's title cell.
  QPoint pocatekTitulku() const;
  // Makes the grid's current row the store's current record.
  void sledujAktualni();

 signals:
  // A column was dragged by its title from one place to another.
  void sloupecPresunut(int from, int to);

 private:
  void kdyzSePresunulSloupec(int logical, int oldVisual, int newVisual);

  store::RecordStore& data_;
  MrizkaModel* model_;
  TitulkyMrizky* titulky_;
  bool syncing_ = false;
};
