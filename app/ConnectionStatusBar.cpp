#include "app/ConnectionStatusBar.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextDocument>
#include <QTimer>

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
void showBounded(QLabel *label, const QString &text, int maxChars, Qt::TextElideMode mode = Qt::ElideMiddle)
{
    const QFontMetrics metrics(label->font());
    const QString shown = metrics.elidedText(text, mode, metrics.averageCharWidth() * maxChars);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal));
}

// Real port paths (by-id links of USB adapters) and identities stay well inside these.
const int portChars = 72;
const int identityChars = 56;
// The state names the port when no laser answers there; the last report is a time and a few words.
const int stateChars = 60;
// The last report must keep its time and its first words whole; the port, shown whole in the banner
// meanwhile, gives it the room.
const int lastReportChars = 56;
const int portCharsBesideReport = 32;

} // namespace

ConnectionStatusBar::ConnectionStatusBar(QWidget *parent)
    : QWidget(parent), m_port(new QLabel(this)), m_identity(new QLabel(this)), m_state(new QLabel(this)),
      m_lastReport(new QLabel(this)), m_emission(new QLabel(this)), m_noAnswerTimer(new QTimer(this)),
      m_clock([] { return QDateTime::currentDateTime(); })
{
    m_port->setObjectName(QStringLiteral("connectionPort"));
    m_identity->setObjectName(QStringLiteral("connectionIdentity"));
    m_state->setObjectName(QStringLiteral("connectionState"));
    m_lastReport->setObjectName(QStringLiteral("connectionLastReport"));
    m_emission->setObjectName(QStringLiteral("connectionEmission"));
    // The identity is the laser's own answer and the port a file name: shown as written, never as markup.
    for (QLabel *label : {m_port, m_identity, m_state, m_lastReport, m_emission})
        label->setTextFormat(Qt::PlainText);
    // A report of the past: greyed and slanted, so that it does not read as the present.
    m_lastReport->setStyleSheet(QStringLiteral("color: #555555; font-style: italic;"));
    m_emission->setStyleSheet(
        QStringLiteral("color: white; background: #b00020; font-weight: bold; padding: 0px 4px;"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 4, 0);
    layout->setSpacing(12);
    layout->addWidget(m_port);
    layout->addWidget(m_identity);
    layout->addWidget(m_state);
    layout->addWidget(m_lastReport);
    layout->addWidget(m_emission);
    m_noAnswerTimer->setSingleShot(true);
    connect(m_noAnswerTimer, &QTimer::timeout, this, &ConnectionStatusBar::refresh);
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

void ConnectionStatusBar::setClock(Clock clock)
{
    m_clock = std::move(clock);
    refresh();
}

QString ConnectionStatusBar::stateText() const
{
    return m_stateText;
}

QString ConnectionStatusBar::lastReportText() const
{
    return m_lastReportText;
}

QString ConnectionStatusBar::emissionText() const
{
    return m_emissionText;
}

void ConnectionStatusBar::setReportedStatus(int statusByte)
{
    m_report.statusByte = statusByte;
    refresh();
}

void ConnectionStatusBar::setReportedSystemState(int systemState)
{
    m_report.systemState = systemState;
    refresh();
}

// The last report dates from the last line the laser sent while it answered. The link forgets that time
// when it reopens a lost port, so refresh() keeps it once the link stops being live; until then it is
// read from the link, so that a caller told of the change before this bar still gets it.
LumetraOperatorState::Report ConnectionStatusBar::heldReport() const
{
    LumetraOperatorState::Report report = m_report;
    if (!report.time.isValid() && m_reconnector)
        report.time = m_reconnector->lastLineTime();
    return report;
}

LumetraOperatorState ConnectionStatusBar::operatorState() const
{
    const LumetraReconnector *r = m_reconnector;
    if (!r)
        return LumetraOperatorState::evaluate(LumetraReconnector::State::Closed, QString(), QDateTime(),
                                              LumetraOperatorState::Report(), m_clock());
    return LumetraOperatorState::evaluate(r->state(), r->portName(), r->since(), heldReport(), m_clock());
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

    // What the laser said stays until it speaks again on this connection or the operator closes the
    // port; a port opened anew, with no laser expected back, starts without it.
    using State = LumetraReconnector::State;
    const bool freshOpen = r && state == State::Waiting && r->expectedSystemType().isEmpty() &&
                           r->expectedSerialNumber().isEmpty();
    if (state == State::Closed || freshOpen)
        m_report = LumetraOperatorState::Report();
    else if (state == State::Connected)
        m_report.time = QDateTime();
    else if (!m_report.time.isValid() && r)
        m_report.time = r->lastLineTime();

    const LumetraOperatorState op = operatorState();
    showBounded(m_port, m_portText, op.lastReportText().isEmpty() ? portChars : portCharsBesideReport);
    if (op.kind() == LumetraOperatorState::Kind::NoAnswer) {
        m_stateText = op.reason();
        m_state->setStyleSheet(QLatin1String(stateStyle(State::Unavailable)));
    } else if ((state == State::Unavailable || state == State::Lost) && !op.lastReportText().isEmpty()) {
        // Beside the last report, which the banner explains, the state is said in short: the window
        // must still fit a small screen.
        const QString since = r->since().toString(QStringLiteral("HH:mm:ss"));
        m_stateText =
            state == State::Lost ? tr("Lost at %1").arg(since) : tr("Unavailable since %1").arg(since);
        m_state->setStyleSheet(QLatin1String(stateStyle(state)));
    } else {
        m_stateText =
            r ? stateText(state, r->since(), r->lastLineTime()) : LumetraReconnector::stateName(state);
        m_state->setStyleSheet(QLatin1String(stateStyle(state)));
    }
    showBounded(m_state, m_stateText, stateChars);

    m_lastReportText = op.lastReportText();
    showBounded(m_lastReport, m_lastReportText, lastReportChars, Qt::ElideRight);
    m_lastReport->setVisible(!m_lastReportText.isEmpty());
    m_emissionText = op.emissionText();
    m_emission->setText(m_emissionText);
    m_emission->setVisible(!m_emissionText.isEmpty());

    // Counted from the first identification query: the quiet wait before it is the link's own.
    if (state == State::Handshake && op.kind() == LumetraOperatorState::Kind::Connecting) {
        if (!m_noAnswerTimer->isActive()) {
            const qint64 left = LumetraOperatorState::noAnswerAfterMs - r->since().msecsTo(m_clock());
            m_noAnswerTimer->start(int(qBound<qint64>(0, left, LumetraOperatorState::noAnswerAfterMs)));
        }
    } else {
        m_noAnswerTimer->stop();
    }
    if (op.kind() == LumetraOperatorState::Kind::NoAnswer && m_kind != op.kind())
        emit noLaserAnswers(op.reason());
    m_kind = op.kind();
}
