// SPDX-License-Identifier: GPL-3.0-or-later
#include "caption_fit.h"

#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QRadioButton>
#include <QRect>
#include <QXmlStreamReader>

#include <algorithm>
#include <stdexcept>

namespace vantrel {

namespace {

const QString kMenuFrame = QStringLiteral("SelectNews");
const QString kOptionClass = QStringLiteral("vantrel::OptionButton");
const QString kFrameClass = QStringLiteral("QGroupBox");

struct UiWidget {
    QString className;
    QString name;
    QString parent;
    QRect geometry;
};

struct UiDescription {
    QString styleSheet;
    QHash<QString, UiWidget> widgets;
    QStringList order;  // as the file lists them
};

QRect readRect(QXmlStreamReader &xml)
{
    QRect rect;
    while (xml.readNextStartElement()) {
        const QString tag = xml.name().toString();
        const int value = xml.readElementText().toInt();
        if (tag == QLatin1String("x"))
            rect.moveLeft(value);
        else if (tag == QLatin1String("y"))
            rect.moveTop(value);
        else if (tag == QLatin1String("width"))
            rect.setWidth(value);
        else if (tag == QLatin1String("height"))
            rect.setHeight(value);
    }
    return rect;
}

void readProperty(QXmlStreamReader &xml, UiDescription &ui, UiWidget &widget)
{
    const QString name = xml.attributes().value(QLatin1String("name")).toString();
    while (xml.readNextStartElement()) {
        if (name == QLatin1String("geometry") && xml.name() == QLatin1String("rect"))
            widget.geometry = readRect(xml);
        else if (name == QLatin1String("styleSheet") && xml.name() == QLatin1String("string"))
            ui.styleSheet = xml.readElementText();
        else
            xml.skipCurrentElement();
    }
}

void readWidget(QXmlStreamReader &xml, UiDescription &ui, const QString &parent)
{
    UiWidget widget;
    widget.className = xml.attributes().value(QLatin1String("class")).toString();
    widget.name = xml.attributes().value(QLatin1String("name")).toString();
    widget.parent = parent;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("property"))
            readProperty(xml, ui, widget);
        else if (xml.name() == QLatin1String("widget"))
            readWidget(xml, ui, widget.name);
        else
            xml.skipCurrentElement();
    }
    ui.order.append(widget.name);
    ui.widgets.insert(widget.name, widget);
}

UiDescription readWindowDescription()
{
    QFile file(QStringLiteral(":/maker/newsbase.ui"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the lesson window's description is missing from this program");
    QXmlStreamReader xml(&file);
    UiDescription ui;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("widget"))
            readWidget(xml, ui, QString());
        else if (xml.name() != QLatin1String("ui"))
            xml.skipCurrentElement();
    }
    if (xml.hasError())
        throw std::runtime_error("the lesson window's description cannot be read: " + xml.errorString().toStdString());
    return ui;
}

// The part of a control its parent does not clip away.
int visibleWidth(const UiDescription &ui, const UiWidget &widget)
{
    const auto parent = ui.widgets.constFind(widget.parent);
    if (parent == ui.widgets.cend())
        return widget.geometry.width();
    return std::min(widget.geometry.width(), parent->geometry.width() - widget.geometry.x());
}

} // namespace

CaptionMeasure::CaptionMeasure() : m_host(std::make_unique<QWidget>())
{
    const UiDescription ui = readWindowDescription();
    m_host->setStyleSheet(ui.styleSheet);
    for (const QString &name : ui.order) {
        const UiWidget &widget = ui.widgets[name];
        Control control;
        control.room = visibleWidth(ui, widget);
        if (widget.className == kOptionClass) {
            control.widget = new QRadioButton(m_host.get());
            (widget.parent == kMenuFrame ? m_menu : m_answers).push_back(control);
        } else if (widget.className == kFrameClass && widget.name != kMenuFrame) {
            control.widget = new QGroupBox(m_host.get());
            m_questions.push_back(control);
        }
        if (control.widget) {
            control.widget->setObjectName(name);
            control.widget->ensurePolished();
        }
    }
    if (m_menu.empty() || m_questions.empty() || m_answers.empty())
        throw std::runtime_error("the lesson window's description has no story or answer options");
}

CaptionMeasure::~CaptionMeasure() = default;

int CaptionMeasure::needed(const Control &control, const QString &caption) const
{
    if (auto *button = qobject_cast<QRadioButton *>(control.widget)) {
        button->setText(caption);
        return button->sizeHint().width();
    }
    auto *frame = qobject_cast<QGroupBox *>(control.widget);
    frame->setTitle(caption);
    return frame->minimumSizeHint().width();
}

bool CaptionMeasure::fitsAll(const std::vector<Control> &controls, const QString &caption) const
{
    return std::all_of(controls.begin(), controls.end(),
                       [&](const Control &control) { return needed(control, caption) <= control.room; });
}

CaptionFit CaptionMeasure::measure(CaptionPlace place, const QString &caption)
{
    const std::vector<Control> &controls = place == CaptionPlace::MenuOption      ? m_menu
                                           : place == CaptionPlace::QuestionFrame ? m_questions
                                                                                  : m_answers;
    CaptionFit fit;
    if (fitsAll(controls, caption))
        return fit;
    fit.fits = false;
    const auto tightest = std::min_element(controls.begin(), controls.end(), [&](const Control &a, const Control &b) {
        return a.room - needed(a, caption) < b.room - needed(b, caption);
    });
    fit.width = needed(*tightest, caption);
    fit.room = tightest->room;
    fit.bare = needed(*tightest, QString());
    // Binary search for the longest start that still fits.
    qsizetype low = 0;
    qsizetype high = caption.size();
    while (low + 1 < high) {
        const qsizetype middle = (low + high) / 2;
        (fitsAll(controls, caption.left(middle)) ? low : high) = middle;
    }
    fit.longestFitting = caption.left(low).trimmed();
    return fit;
}

} // namespace vantrel
