#include "dialogs/CDrawingOptions.h"

#include "controls/CGraphicShow.h"
#include "geometry/Trajectory.h"
#include "res/UiText.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QSettings>

#include <cstdint>
#include <memory>
#include <string>

using pos::ui::Str;
using pos::ui::StrF;

namespace {

constexpr int kMillimetres = 4; // $INSUNITS code
constexpr int kLastUnitCode = 24;
const QColor kMessageColour(176, 32, 32);

// The wizard's settings: under the application's names; a host that gives
// no organisation gets the wizard's own.
std::unique_ptr<QSettings> OpenSettings()
{
    QString organisation = QCoreApplication::organizationName();
    if (organisation.isEmpty())
        organisation = QStringLiteral("POS");
    auto settings = std::make_unique<QSettings>(organisation, QCoreApplication::applicationName());
    settings->beginGroup(QStringLiteral("drawingImport"));
    return settings;
}

QString UnitText(int code)
{
    return QString::fromStdString(pos::UnitName(code));
}

// Segments the preview draws at most: the whole of any drawing a user would
// cut, also far beyond what the table takes.
constexpr std::size_t kPreviewSegments = 100000;

// The arranged segments as curves from their own begin points, as the
// preview draws them (the machine's start included).
std::vector<pos::geo::Curve> CurvesOf(const std::vector<pos::PosSegment> &segments)
{
    std::vector<pos::geo::Curve> curves;
    curves.reserve(segments.size());
    for (const pos::PosSegment &s : segments) {
        const pos::geo::Vec b{static_cast<double>(s.beginX), static_cast<double>(s.beginY)};
        const pos::geo::Vec e{static_cast<double>(s.endX), static_cast<double>(s.endY)};
        if (s.isArc())
            curves.push_back(pos::geo::Curve::Arc(
                b, e, {static_cast<double>(s.centreX), static_cast<double>(s.centreY)},
                s.type == pos::kTypeCcw));
        else
            curves.push_back(pos::geo::Curve::Line(b, e, s.travel));
    }
    return curves;
}

} // namespace

CDrawingOptions::CDrawingOptions(pos::dxf::Drawing drawing, QWidget *parent)
    : QDialog(parent)
    , m_drawing(std::move(drawing))
{
    m_ui.setupUi(this);
    QPalette warn = m_ui.messageLabel->palette();
    warn.setColor(QPalette::WindowText, kMessageColour);
    m_ui.messageLabel->setPalette(warn);
    m_ui.messageLabel->hide();

    FillUnits();
    FillLayers();
    LoadSettings();

    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &CDrawingOptions::Arrange);
    const auto later = [this] { m_settle.start(); };
    connect(m_ui.unitCombo, &QComboBox::currentIndexChanged, this, later);
    for (QDoubleSpinBox *spin :
         {m_ui.pulsesSpin, m_ui.toleranceSpin, m_ui.startXSpin, m_ui.startYSpin})
        connect(spin, &QDoubleSpinBox::valueChanged, this, later);
    connect(m_ui.layerList, &QListWidget::itemChanged, this, later);
    connect(m_ui.orderCheck, &QCheckBox::toggled, this, later);
    connect(m_ui.okButton, &QPushButton::clicked, this, &CDrawingOptions::accept);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &CDrawingOptions::reject);

    Arrange();
}

CDrawingOptions::~CDrawingOptions() = default;

CGraphicShow *CDrawingOptions::preview() const
{
    return m_ui.preview;
}

const pos::ArrangedDrawing *CDrawingOptions::arranged() const
{
    return m_arranged ? &*m_arranged : nullptr;
}

int CDrawingOptions::DrawingUnit() const
{
    return pos::UnitMillimetres(m_drawing.insUnits) ? m_drawing.insUnits : kMillimetres;
}

void CDrawingOptions::FillUnits()
{
    const bool given = pos::UnitMillimetres(m_drawing.insUnits).has_value();
    m_ui.drawingUnitValue->setText(given ? UnitText(m_drawing.insUnits)
                                         : tr("not given: millimetres assumed"));
    for (int code = 1; code <= kLastUnitCode; ++code)
        if (pos::UnitMillimetres(code))
            m_ui.unitCombo->addItem(UnitText(code), code);
    m_ui.unitCombo->setCurrentIndex(m_ui.unitCombo->findData(DrawingUnit()));
}

void CDrawingOptions::FillLayers()
{
    for (const auto &[name, count] : m_drawing.layerCounts()) {
        const QString layer = QString::fromStdString(name);
        auto *item = new QListWidgetItem(
            tr("%1 (%2)").arg(layer).arg(static_cast<qulonglong>(count)), m_ui.layerList);
        item->setData(Qt::UserRole, layer);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Checked);
    }
}

void CDrawingOptions::LoadSettings()
{
    const std::unique_ptr<QSettings> s = OpenSettings();
    const auto positive = [&s](const char *key, double fallback) {
        const double v = s->value(QLatin1String(key), fallback).toDouble();
        return v > 0.0 ? v : fallback;
    };
    m_ui.pulsesSpin->setValue(positive("pulsesPerMm", pos::kDefaultPulsesPerMm));
    m_ui.toleranceSpin->setValue(positive("toleranceMm", pos::kDefaultToleranceMm));
    m_ui.startXSpin->setValue(s->value(QStringLiteral("startXMm"), 0.0).toDouble());
    m_ui.startYSpin->setValue(s->value(QStringLiteral("startYMm"), 0.0).toDouble());
    m_ui.orderCheck->setChecked(s->value(QStringLiteral("order"), true).toBool());
    // A drawing that gives no unit is read in the unit chosen for the last
    // such drawing.
    if (!pos::UnitMillimetres(m_drawing.insUnits)) {
        const int unit = m_ui.unitCombo->findData(s->value(QStringLiteral("unitNotGiven")));
        if (unit >= 0)
            m_ui.unitCombo->setCurrentIndex(unit);
    }
}

void CDrawingOptions::SaveSettings() const
{
    const std::unique_ptr<QSettings> s = OpenSettings();
    s->setValue(QStringLiteral("pulsesPerMm"), m_ui.pulsesSpin->value());
    s->setValue(QStringLiteral("toleranceMm"), m_ui.toleranceSpin->value());
    s->setValue(QStringLiteral("startXMm"), m_ui.startXSpin->value());
    s->setValue(QStringLiteral("startYMm"), m_ui.startYSpin->value());
    s->setValue(QStringLiteral("order"), m_ui.orderCheck->isChecked());
    if (!pos::UnitMillimetres(m_drawing.insUnits))
        s->setValue(QStringLiteral("unitNotGiven"), m_ui.unitCombo->currentData());
}

pos::ArrangeOptions CDrawingOptions::options() const
{
    pos::ArrangeOptions o;
    o.pulsesPerMm = m_ui.pulsesSpin->value();
    o.toleranceMm = m_ui.toleranceSpin->value();
    o.startMm = {m_ui.startXSpin->value(), m_ui.startYSpin->value()};
    const QVariant unit = m_ui.unitCombo->currentData();
    if (unit.isValid() && unit.toInt() != DrawingUnit())
        o.unit = unit.toInt();
    bool all = true;
    for (int i = 0; i < m_ui.layerList->count(); ++i) {
        const QListWidgetItem *item = m_ui.layerList->item(i);
        if (item->checkState() == Qt::Checked)
            o.layers.push_back(item->data(Qt::UserRole).toString().toStdString());
        else
            all = false;
    }
    if (all)
        o.layers.clear(); // every layer, also those without entities of their own
    o.order = o.fit = m_ui.orderCheck->isChecked();
    o.keep = kPreviewSegments;
    return o;
}

void CDrawingOptions::Arrange()
{
    m_settle.stop();
    const pos::ArrangeOptions o = options();
    QString message;
    m_arranged.reset();
    bool anyLayer = m_ui.layerList->count() == 0;
    for (int i = 0; i < m_ui.layerList->count(); ++i)
        anyLayer = anyLayer || m_ui.layerList->item(i)->checkState() == Qt::Checked;
    if (!anyLayer) {
        message = Str(pos::sid::NoLayerChosen); // no layer is not every layer
    } else {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        pos::Result<pos::ArrangedDrawing> result = pos::ArrangeDrawing(m_drawing, o);
        QGuiApplication::restoreOverrideCursor();
        if (result)
            m_arranged = std::move(*result);
        else
            message = pos::ui::Say(result.error());
    }

    if (!m_arranged) {
        m_ui.preview->ShowPrimitives({});
        m_ui.figuresLabel->clear();
        m_ui.figuresLabel->setToolTip({});
    } else {
        const pos::ImportReport &r = m_arranged->report;
        m_ui.preview->ShowPrimitives(pos::PrimitivesOf(CurvesOf(m_arranged->segments)));
        m_ui.figuresLabel->setText(tr("Segments: %1\nContours: %2 closed, %3 open\n"
                                      "Travel moves: %4")
                                       .arg(static_cast<qulonglong>(r.segments))
                                       .arg(static_cast<qulonglong>(r.closedContours))
                                       .arg(static_cast<qulonglong>(r.openContours))
                                       .arg(static_cast<qulonglong>(r.travelMoves)));
        QStringList details;
        for (const std::string &line : pos::DescribeReport(r, pos::CurrentLanguage()))
            details << QString::fromStdString(line);
        m_ui.figuresLabel->setToolTip(details.join(QLatin1Char('\n')));
        if (r.segments > pos::kMaxSegments) {
            const auto limit = static_cast<std::int64_t>(pos::kMaxSegments);
            message = StrF(pos::sid::SegmentsOverLimit,
                           {static_cast<std::int64_t>(r.segments), limit, limit});
            if (r.toleranceForLimit)
                message += QLatin1Char(' ')
                           + StrF(pos::sid::ToleranceForLimit,
                                  {QString::number(*r.toleranceForLimit, 'g', 3).toStdString()});
        }
    }
    m_ui.messageLabel->setText(message);
    m_ui.messageLabel->setVisible(!message.isEmpty());
    m_ui.okButton->setEnabled(m_arranged && !m_arranged->config.segments.empty());
}

void CDrawingOptions::accept()
{
    if (m_settle.isActive())
        Arrange();
    if (!m_ui.okButton->isEnabled())
        return;
    SaveSettings();
    QDialog::accept();
}
