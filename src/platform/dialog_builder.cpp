#include "platform/dialog_builder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <algorithm>

namespace platform {

namespace {

constexpr const char* kSortedProperty = "quillonSorted";

bool has(const ControlTemplate& control, unsigned flag) {
    return (control.style & flag) != 0;
}

// Keeps check marks and radio indicators inside their control: the 8 x 8 unit indicators of the
// status pages are smaller than the indicators of some styles.
class IndicatorFitStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        const bool indicator = metric == PM_IndicatorWidth || metric == PM_IndicatorHeight ||
                               metric == PM_ExclusiveIndicatorWidth ||
                               metric == PM_ExclusiveIndicatorHeight;
        if (!indicator || widget == nullptr)
            return size;
        return std::min({size, widget->width(), widget->height()});
    }
};

QStyle* indicatorFitStyle() {
    static QPointer<IndicatorFitStyle> style;
    if (style.isNull()) {
        style = new IndicatorFitStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style.data();
}

// Static texts take '&' as a mnemonic prefix unless told otherwise; labels show no underline,
// so the prefix is dropped and "&&" stands for one '&'.
QString withoutPrefixes(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

QWidget* makeButton(const ControlTemplate& control, QWidget& host) {
    auto* button = new QPushButton(QString::fromUtf8(control.text), &host);
    button->setDefault(control.kind == ControlKind::DefPushButton);
    return button;
}

QWidget* makeGroupBox(const ControlTemplate& control, QWidget& host) {
    auto* box = new QGroupBox(QString::fromUtf8(control.text), &host);
    // A frame drawn around other controls: clicks go to what it frames.
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    return box;
}

QWidget* makeStatic(const ControlTemplate& control, QWidget& host) {
    const QString text = QString::fromUtf8(control.text);
    auto* label = new QLabel(has(control, style::kNoPrefix) ? text : withoutPrefixes(text), &host);
    label->setTextFormat(Qt::PlainText);
    const Qt::Alignment horizontal =
        has(control, style::kCenter) ? Qt::AlignHCenter : Qt::AlignLeft;
    if (has(control, style::kCenterVertical)) {
        label->setAlignment(horizontal | Qt::AlignVCenter);
    } else {
        label->setAlignment(horizontal | Qt::AlignTop);
        label->setWordWrap(true);
    }
    return label;
}

QWidget* makeMultiLineEdit(const ControlTemplate& control, QWidget& host) {
    auto* edit = new QPlainTextEdit(QString::fromUtf8(control.text), &host);
    edit->setReadOnly(has(control, style::kReadOnly));
    // A read-only log needs no undo history, which would otherwise grow with every append.
    edit->setUndoRedoEnabled(!has(control, style::kReadOnly));
    edit->setLineWrapMode(has(control, style::kAutoHScroll) ? QPlainTextEdit::NoWrap
                                                            : QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(has(control, style::kVScroll) ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (!has(control, style::kBorder))
        edit->setFrameShape(QFrame::NoFrame);
    return edit;
}

// A disabled edit box is a readout the user cannot type in, and its value is what the page is
// for: it is shown in grey text as on Windows, not in the faint text of a disabled control.
void makeReadoutReadable(QWidget& edit) {
    QPalette palette = edit.palette();
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    constexpr float kTextShare = 0.6F;
    const auto mix = [&](float t, float b) { return kTextShare * t + (1 - kTextShare) * b; };
    palette.setColor(QPalette::Disabled, QPalette::Text,
                     QColor::fromRgbF(mix(text.redF(), base.redF()),
                                      mix(text.greenF(), base.greenF()),
                                      mix(text.blueF(), base.blueF())));
    edit.setPalette(palette);
}

QWidget* makeLineEdit(const ControlTemplate& control, QWidget& host) {
    auto* edit = new QLineEdit(QString::fromUtf8(control.text), &host);
    if (has(control, style::kDisabled))
        makeReadoutReadable(*edit);
    edit->setReadOnly(has(control, style::kReadOnly));
    edit->setFrame(has(control, style::kBorder));
    if (has(control, style::kCenter))
        edit->setAlignment(Qt::AlignCenter);
    if (has(control, style::kDigitsOnly))
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

QWidget* makeEdit(const ControlTemplate& control, QWidget& host) {
    return has(control, style::kMultiLine) ? makeMultiLineEdit(control, host)
                                           : makeLineEdit(control, host);
}

QWidget* makeComboBox(const ControlTemplate& control, QWidget& host) {
    auto* combo = new QComboBox(&host);
    combo->setEditable(has(control, style::kDropDown));
    combo->setProperty(kSortedProperty, has(control, style::kSort));
    return combo;
}

QWidget* makeCheckBox(const ControlTemplate& control, QWidget& host) {
    auto* box = new QCheckBox(QString::fromUtf8(control.text), &host);
    box->setStyle(indicatorFitStyle());
    return box;
}

QWidget* makeRadioButton(const ControlTemplate& control, QWidget& host) {
    auto* button = new QRadioButton(QString::fromUtf8(control.text), &host);
    button->setStyle(indicatorFitStyle());
    return button;
}

QWidget* makeIcon(const ControlTemplate& control, QWidget& host, const IconSource& icons,
                  const PixelRect& rect) {
    auto* label = new QLabel(&host);
    if (icons) {
        const int side = std::min(rect.width, rect.height);
        label->setPixmap(icons(QString::fromUtf8(control.text).toInt()).pixmap(side, side));
    }
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* makeControl(const ControlTemplate& control, QWidget& host, const IconSource& icons,
                     const PixelRect& rect) {
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
        return makeButton(control, host);
    case ControlKind::GroupBox:
        return makeGroupBox(control, host);
    case ControlKind::Static:
        return makeStatic(control, host);
    case ControlKind::Edit:
        return makeEdit(control, host);
    case ControlKind::ComboBox:
        return makeComboBox(control, host);
    case ControlKind::CheckBox:
        return makeCheckBox(control, host);
    case ControlKind::AutoRadioButton:
        return makeRadioButton(control, host);
    case ControlKind::Icon:
        return makeIcon(control, host, icons, rect);
    }
    return new QWidget(&host);
}

// A combo box template gives the height of the dropped list; the closed box is one line high.
int visibleHeight(const QWidget& widget, const ControlTemplate& control, int height) {
    if (control.kind != ControlKind::ComboBox)
        return height;
    return std::min(height, widget.sizeHint().height());
}

void placeControl(QWidget& widget, const ControlTemplate& control, const PixelRect& rect) {
    widget.setGeometry(rect.x, rect.y, rect.width, visibleHeight(widget, control, rect.height));
    if (has(control, style::kDisabled))
        widget.setEnabled(false);
    if (has(control, style::kHidden))
        widget.setHidden(true);
    if (control.kind == ControlKind::GroupBox)
        widget.lower();
}

void setUpHost(const DialogTemplate& dialog, QWidget& host, const QFont& font, BaseUnits units) {
    host.setFont(font);
    host.setWindowTitle(QString::fromUtf8(dialog.title));
    if ((dialog.windowStyle & window_style::kChild) == 0) {
        Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
        if ((dialog.windowStyle & window_style::kCaption) != 0)
            flags |= Qt::WindowTitleHint;
        if ((dialog.windowStyle & window_style::kSysMenu) != 0)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        host.setWindowFlags(flags);
    }
    const PixelRect size = dluToPixels(0, 0, dialog.width, dialog.height, units);
    host.setFixedSize(size.width, size.height);
}

} // namespace

void DialogControls::add(int id, QWidget* widget) {
    all_.push_back(widget);
    if (id != kNoId)
        byId_.emplace(id, widget);
}

QWidget* DialogControls::replace(int id, QWidget* widget) {
    const auto it = byId_.find(id);
    if (it == byId_.end())
        return nullptr;
    QWidget* old = it->second;
    it->second = widget;
    // The new control takes the old one's place in the tab order.
    QWidget::setTabOrder(old, widget);
    std::replace(all_.begin(), all_.end(), old, widget);
    return old;
}

QWidget* DialogControls::widget(int id) const {
    const auto it = byId_.find(id);
    return it != byId_.end() ? it->second : nullptr;
}

QFont dialogFont() {
    static const QString kPreferred = QStringLiteral("MS Sans Serif");
    QFont font = QFontDatabase::families().contains(kPreferred)
                     ? QFont(kPreferred)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    return font;
}

BaseUnits baseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabetWidth + 26) / 52, metrics.height()};
}

DialogControls buildDialog(const DialogTemplate& dialog, QWidget& host, const IconSource& icons,
                           const QFont& font) {
    const BaseUnits units = baseUnitsOf(font);
    setUpHost(dialog, host, font, units);
    DialogControls controls;
    QButtonGroup* radioGroup = nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        const PixelRect rect = dluToPixels(control, units);
        QWidget* widget = makeControl(control, host, icons, rect);
        placeControl(*widget, control, rect);
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (radioGroup == nullptr) {
                radioGroup = new QButtonGroup(&host);
                radioGroup->setExclusive(true);
            }
            radioGroup->addButton(radio);
        } else {
            radioGroup = nullptr;
        }
        controls.add(control.id, widget);
    }
    return controls;
}

int addComboString(QComboBox& combo, const QString& text, const QVariant& data) {
    int index = combo.count();
    if (combo.property(kSortedProperty).toBool()) {
        index = 0;
        while (index < combo.count() &&
               QString::compare(combo.itemText(index), text, Qt::CaseInsensitive) <= 0)
            ++index;
    }
    const int selected = combo.currentIndex();
    {
        // Qt selects the first item added to an empty box; a list control does not.
        const QSignalBlocker blocker(combo);
        combo.insertItem(index, text, data);
        if (selected == -1)
            combo.setCurrentIndex(-1);
    }
    return index;
}

} // namespace platform
