#include "ui/quick_view_dlg.h"

#include <QLabel>
#include <QPainter>

#include "ui/text_fit.h"

namespace torvel {
namespace {

// The legend's places in dialog units, on the buttons' row.
constexpr int kLegendHeight = 8;
constexpr int kQuickButtonHeight = 14;
constexpr std::array<int, 3> kLabelLeft = {7, 56, 133};
constexpr std::array<int, 3> kLabelWidth = {28, 56, 60};
constexpr std::array<int, 2> kSampleLeft = {37, 114};
constexpr int kSamplePieces = 8;

// A short bar of the graph's own pieces.
class GraphSample final : public QWidget {
 public:
  GraphSample(GraphPiece first, QWidget* parent)
      : QWidget(parent), first_(first) {
    setFixedSize(kSamplePieces * kGraphPieceWidth, kGraphPieceHeight);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    std::vector<PlacedPiece> bar;
    AddBar(bar, first_, kSamplePieces, 0, 0);
    for (const PlacedPiece& p : bar)
      painter.drawPixmap(p.x, p.y, GraphPieceBitmap(p.piece, devicePixelRatioF()));
  }

 private:
  GraphPiece first_;
};

}  // namespace

CQuickViewDlg::CQuickViewDlg(MainWindowEnv& env, QWidget* parent)
    : CAttributeViewDlg(env, parent, ViewKind::kQuick, kQuickViewTexts) {
  for (QLabel*& label : legend_) label = new QLabel(this);
  samples_ = {new GraphSample(kValueStart, this), new GraphSample(kThresholdStart, this)};
  Initialise();
  for (std::size_t i = 0; i < legend_.size(); ++i) legend_[i]->setText(Text(kQuickViewLegendKeys[i]));
  FitTexts(*this, FitRoom::kInPlace);
}

void CQuickViewDlg::LayOutBelowList(int, int buttonTop) {
  const DialogUnits du = Units();
  const int centre = buttonTop + du.Y(kQuickButtonHeight) / 2;
  const int labelTop = centre - du.Y(kLegendHeight) / 2;
  for (std::size_t i = 0; i < legend_.size(); ++i)
    legend_[i]->setGeometry(du.X(kLabelLeft[i]), labelTop, du.X(kLabelWidth[i]), du.Y(kLegendHeight));
  for (std::size_t i = 0; i < samples_.size(); ++i)
    samples_[i]->move(du.X(kSampleLeft[i]), centre - kGraphPieceHeight / 2);
}

}  // namespace torvel
