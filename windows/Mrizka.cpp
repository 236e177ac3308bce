#include "Mrizka.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <vector>

#include "RecordStore.h"
#include "Texty.h"

namespace {
// The indicator with its line.
constexpr int kSirkaIndikatoru = TMrizka::kSirkaIndikatoru + TMrizka::kCara;
constexpr int kVyskaRadku = 17;
}  // namespace

// --- model ----------------------------------------------------------------

MrizkaModel::MrizkaModel(store::RecordStore& data, QObject* parent) : QAbstractTableModel(parent), data_(data) {
  listener_ = data_.addDataChangeListener([this] { obnov(); });
  if (data_.active()) {
    rows_ = data_.displayRowCount();
    columns_ = data_.fieldCount();
    generation_ = data_.viewGeneration();
  }
}

MrizkaModel::~MrizkaModel() { data_.removeDataChangeListener(listener_); }

int MrizkaModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int MrizkaModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant MrizkaModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || !data_.active()) return {};
  // While notifications are frozen the store may hold fewer rows than shown.
  if (index.row() >= data_.displayRowCount() || index.column() >= data_.fieldCount()) return {};
  return zAnsi(data_.displayText(index.row(), index.column()));
}

QVariant MrizkaModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (!data_.active() || section >= data_.fieldCount()) return {};
    return zAnsi(data_.fieldName(section));
  }
  return {};
}

Qt::ItemFlags MrizkaModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void MrizkaModel::obnov() {
  const int rows = data_.active() ? data_.displayRowCount() : 0;
  const int columns = data_.active() ? data_.fieldCount() : 0;
  const std::uint64_t generation = data_.viewGeneration();
  if (rows != rows_ || columns != columns_ || generation != generation_) {
    beginResetModel();
    rows_ = rows;
    columns_ = columns;
    generation_ = generation;
    endResetModel();
  } else if (rows_ > 0 && columns_ > 0) {
    // Only values changed: the view repaints what it shows.
    emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
  }
}

void MrizkaModel::polePresunuta() {
  emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
  if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
}

// --- record indicator ---------------------------------------------------

IndikatorZaznamu::IndikatorZaznamu(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
  setSectionResizeMode(QHeaderView::Fixed);
  setDefaultSectionSize(kVyskaRadku);
  setMinimumSectionSize(1);
  setFixedWidth(kSirkaIndikatoru);
  setSectionsClickable(false);
}

QSize IndikatorZaznamu::sizeHint() const { return {kSirkaIndikatoru, QHeaderView::sizeHint().height()}; }

void IndikatorZaznamu::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  painter->save();
  painter->fillRect(rect, palette().button());
  painter->setPen(palette().mid().color());
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());
  const auto* view = qobject_cast<const QTableView*>(parentWidget());
  if (view && view->currentIndex().isValid() && view->currentIndex().row() == logicalIndex) {
    // A small black triangle pointing at the current record.
    const int cx = rect.left() + 3, cy = rect.center().y();
    const QPoint triangle[3] = {{cx, cy - 4}, {cx, cy + 4}, {cx + 4, cy}};
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    painter->drawPolygon(triangle, 3);
  }
  painter->restore();
}

// --- title row ---------------------------------------------------------------

TitulkyMrizky::TitulkyMrizky(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void TitulkyMrizky::paintEvent(QPaintEvent* event) {
  QHeaderView::paintEvent(event);
  if (!model() || model()->rowCount() == 0) return;
  QPainter painter(viewport());
  emit vykresleno(&painter);
}

// --- grid -------------------------------------------------------------------

TMrizka::TMrizka(store::RecordStore& data, QWidget* parent)
    : QTableView(parent), data_(data), model_(new MrizkaModel(data, this)), titulky_(new TitulkyMrizky(this)) {
  setVerticalHeader(new IndikatorZaznamu(this));
  setHorizontalHeader(titulky_);
  setModel(model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setShowGrid(true);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setFixedHeight(kVyskaRadku + 1);
  horizontalHeader()->setStretchLastSection(false);

  connect(horizontalHeader(), &QHeaderView::sectionMoved, this, &TMrizka::kdyzSePresunulSloupec);
  connect(model_, &QAbstractItemModel::modelReset, this, &TMrizka::sledujAktualni);
  connect(model_, &QAbstractItemModel::dataChanged, this, &TMrizka::sledujAktualni);
  // Rows coming or going decide whether the title row is painted over.
  connect(model_, &QAbstractItemModel::modelReset, titulky_->viewport(), qOverload<>(&QWidget::update));
  auto onCurrent = [this](const QModelIndex& current, const QModelIndex&) {
    verticalHeader()->viewport()->update();
    if (syncing_ || !current.isValid() || !data_.active()) return;
    if (data_.state() != store::StoreState::Browse || current.row() >= data_.recordCount()) return;
    // The person moved in the grid: that record becomes current.
    data_.setRecNo(current.row() + 1);
  };
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, onCurrent);
}

QPoint TMrizka::pocatekTitulku() const {
  return titulky_->viewport()->mapTo(this, QPoint(0, 0)) - contentsRect().topLeft();
}

void TMrizka::sledujAktualni() {
  if (!data_.active()) return;
  const int row = data_.displayCurrentRow();
  syncing_ = true;
  if (row < 0 || row >= model_->rowCount()) {
    selectionModel()->clearCurrentIndex();
    selectionModel()->clearSelection();
  } else {
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex index = model_->index(row, column);
    if (currentIndex() != index || !selectionModel()->isRowSelected(row, {}))
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
  }
  syncing_ = false;
  verticalHeader()->viewport()->update();
}

void TMrizka::kdyzSePresunulSloupec(int /*logical*/, int oldVisual, int newVisual) {
  QHeaderView* header = horizontalHeader();
  // Widths in the order the person now sees the columns.
  std::vector<int> widths;
  for (int v = 0; v < header->count(); ++v) widths.push_back(header->sectionSize(header->logicalIndex(v)));
  {
    // The grid's column k is always the field at position k of the field
    // list: undo the header's own move and move the field instead.
    const QSignalBlocker blocker(header);
    header->moveSection(newVisual, oldVisual);
  }
  emit sloupecPresunut(oldVisual, newVisual);
  model_->polePresunuta();
  for (int v = 0; v < static_cast<int>(widths.size()); ++v) header->resizeSection(v, widths[v]);
  viewport()->update();
}
