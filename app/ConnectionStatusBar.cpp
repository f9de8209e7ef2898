#include "app/ConnectionStatusBar.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextDocument>

namespace {

QString clock(const QDateTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("--:--:--");
}

// Colours of the state label: a glance tells whether the laser is there.
const char *stateStyle(LumetraReconnector::State state)
{
    switch (state) {
    case LumetraReconnector::State::Connected:
        return "color: #1b7a1b;";
    case LumetraReconnector::State::Waiting:
    case LumetraReconnector::State::Handshake:
        return "color: #8a6d00;";
    case LumetraReconnector::State::Unavailable:
    case LumetraReconnector::State::Lost:
    case LumetraReconnector::State::OtherLaser:
        return "color: #b00020; font-weight: bold;";
    case LumetraReconnector::State::Closed:
        break;
    }
    return "";
}

// The status bar's width is the window's least width: a text the laser or a device name sets may not
// push the panel off the screen. A longer text is shortened in the middle and shown whole as a tooltip.
void showBounded(QLabel *label, const QString &text, int maxChars)
{
    const QFontMetrics metrics(label->font());
    const QString shown = metrics.elidedText(text, Qt::ElideMiddle, metrics.averageCharWidth() * maxChars);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal));
}

// Real port paths (by-id links of USB adapters) and identities stay well inside these.
const int portChars = 72;
const int identityChars = 56;

} // namespace

ConnectionStatusBar::ConnectionStatusBar(QWidget *parent)
    : QWidget(parent), m_port(new QLabel(this)), m_identity(new QLabel(this)), m_state(new QLabel(this))
{
    m_port->setObjectName(QStringLiteral("connectionPort"));
    m_identity->setObjectName(QStringLiteral("connectionIdentity"));
    m_state->setObjectName(QStringLiteral("connectionState"));
    // The identity is the laser's own answer and the port a file name: shown as written, never as markup.
    for (QLabel *label : {m_port, m_identity, m_state})
        label->setTextFormat(Qt::PlainText);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 4, 0);
    layout->setSpacing(12);
    layout->addWidget(m_port);
    layout->addWidget(m_identity);
    layout->addWidget(m_state);
    refresh();
}

ConnectionStatusBar::~ConnectionStatusBar() = default;

void ConnectionStatusBar::follow(LumetraReconnector *reconnector)
{
    if (m_reconnector)
        m_reconnector->disconnect(this);
    m_reconnector = reconnector;
    if (reconnector) {
        connect(reconnector, &LumetraReconnector::stateChanged, this, &ConnectionStatusBar::refresh);
        connect(reconnector, &LumetraReconnector::identityChanged, this, &ConnectionStatusBar::refresh);
    }
    refresh();
}

QString ConnectionStatusBar::portText() const
{
    return m_portText;
}

QString ConnectionStatusBar::identityText() const
{
    return m_identityText;
}

QString ConnectionStatusBar::stateText() const
{
    return m_state->text();
}

QString ConnectionStatusBar::stateText(LumetraReconnector::State state, const QDateTime &since,
                                       const QDateTime &lastLine)
{
    using State = LumetraReconnector::State;
    switch (state) {
    case State::Unavailable:
        return tr("Unavailable since %1 (no answer since %2)").arg(clock(since), clock(lastLine));
    case State::Lost:
        return tr("Lost at %1, waiting for the port").arg(clock(since));
    default:
        return LumetraReconnector::stateName(state);
    }
}

void ConnectionStatusBar::refresh()
{
    const LumetraReconnector *r = m_reconnector;
    const LumetraReconnector::State state = r ? r->state() : LumetraReconnector::State::Closed;
    const bool hasPort = r && !r->portName().isEmpty() && state != LumetraReconnector::State::Closed;
    m_portText = hasPort ? r->portName() : tr("No port");
    showBounded(m_port, m_portText, portChars);

    QStringList identity;
    if (r && state != LumetraReconnector::State::Closed) {
        if (!r->systemType().isEmpty())
            identity << r->systemType();
        if (!r->serialNumber().isEmpty())
            identity << tr("S/N %1").arg(r->serialNumber());
    }
    m_identityText = identity.join(QStringLiteral(", "));
    showBounded(m_identity, m_identityText, identityChars);
    m_identity->setVisible(!identity.isEmpty());

    m_state->setText(r ? stateText(state, r->since(), r->lastLineTime())
                       : LumetraReconnector::stateName(state));
    m_state->setStyleSheet(QLatin1String(stateStyle(state)));
}
