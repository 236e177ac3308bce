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

class TMrizka : public QTableView {
  Q_OBJECT
 public:
  TMrizka(store::RecordStore& data, QWidget* parent);
  MrizkaModel* model() const { return model_; }
  // Makes the grid's current row the store's current record.
  void sledujAktualni();

 signals:
  // A column was dragged by its title from one place to another.
  void sloupecPresunut(int from, int to);

 private:
  void kdyzSePresunulSloupec(int logical, int oldVisual, int newVisual);

  store::RecordStore& data_;
  MrizkaModel* model_;
  bool syncing_ = false;
};
