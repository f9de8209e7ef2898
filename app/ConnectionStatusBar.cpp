#include "app/ConnectionStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>

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

} // namespace

ConnectionStatusBar::ConnectionStatusBar(QWidget *parent)
    : QWidget(parent), m_port(new QLabel(this)), m_identity(new QLabel(this)), m_state(new QLabel(this))
{
    m_port->setObjectName(QStringLiteral("connectionPort"));
    m_identity->setObjectName(QStringLiteral("connectionIdentity"));
    m_state->setObjectName(QStringLiteral("connectionState"));
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
    return m_port->text();
}

QString ConnectionStatusBar::identityText() const
{
    return m_identity->isHidden() ? QString() : m_identity->text();
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
    m_port->setText(hasPort ? r->portName() : tr("No port"));

    QStringList identity;
    if (r && state != LumetraReconnector::State::Closed) {
        if (!r->systemType().isEmpty())
            identity << r->systemType();
        if (!r->serialNumber().isEmpty())
            identity << tr("S/N %1").arg(r->serialNumber());
    }
    m_identity->setText(identity.join(QStringLiteral(", ")));
    m_identity->setVisible(!identity.isEmpty());

    m_state->setText(r ? stateText(state, r->since(), r->lastLineTime())
                       : LumetraReconnector::stateName(state));
    m_state->setStyleSheet(QLatin1String(stateStyle(state)));
}
