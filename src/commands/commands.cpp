#include "commands.h"

#include "counter/counter.h"
#include "counter/digitcells.h"
#include "numberentry.h"

#include <QHash>
#include <QString>

Commands::Commands(Counter &counter, const EntryBoxes &boxes)
    : m_counter(counter), m_boxes(boxes) {}

void Commands::cmd_Einer_plus_Click() {
    m_counter.Einer_addieren();
}
void Commands::cmd_Zehner_plus_Click() {
    m_counter.Zehner_addieren();
}
void Commands::cmd_Hunderter_plus_Click() {
    m_counter.Hunderter_addieren();
}
void Commands::cmd_Tausender_plus_Click() {
    m_counter.Tausender_addieren();
}
void Commands::cmd_Einer_minus_Click() {
    m_counter.Einer_subtrahieren();
}
void Commands::cmd_Zehner_minus_Click() {
    m_counter.Zehner_subtrahieren();
}
void Commands::cmd_Hunderter_minus_Click() {
    m_counter.Hunderter_subtrahieren();
}
void Commands::cmd_Tausender_minus_Click() {
    m_counter.Tausender_subtrahieren();
}

void Commands::cmd_Einer_add_minus_Click() {
    m_counter.transferToHilfszahl(Place::Einer);
}
void Commands::cmd_Zehner_add_minus_Click() {
    m_counter.transferToHilfszahl(Place::Zehner);
}
void Commands::cmd_Hunderter_add_minus_Click() {
    m_counter.transferToHilfszahl(Place::Hunderter);
}
void Commands::cmd_Tausender_add_minus_Click() {
    m_counter.transferToHilfszahl(Place::Tausender);
}
void Commands::cmd_Einer_add_plus_Click() {
    m_counter.transferToCounter(Place::Einer);
}
void Commands::cmd_Zehner_add_plus_Click() {
    m_counter.transferToCounter(Place::Zehner);
}
void Commands::cmd_Hunderter_add_plus_Click() {
    m_counter.transferToCounter(Place::Hunderter);
}
void Commands::cmd_Tausender_add_plus_Click() {
    m_counter.transferToCounter(Place::Tausender);
}

void Commands::cmd_ok_Click() {
    enter(Row::Counter);
}
void Commands::cmd_ok_add_Click() {
    enter(Row::Hilfszahl);
}
void Commands::cmd_AktZahl_loeschen_Click() {
    m_counter.clearRow(Row::Counter);
}
void Commands::cmd_Hilfszahl_loeschen_Click() {
    m_counter.clearRow(Row::Hilfszahl);
}

Commands::Handler Commands::handler(const QString &name) {
    static const QHash<QString, Handler> handlers{
        {QStringLiteral("cmd_AktZahl_loeschen"), &Commands::cmd_AktZahl_loeschen_Click},
        {QStringLiteral("cmd_Einer_add_minus"), &Commands::cmd_Einer_add_minus_Click},
        {QStringLiteral("cmd_Einer_add_plus"), &Commands::cmd_Einer_add_plus_Click},
        {QStringLiteral("cmd_Einer_minus"), &Commands::cmd_Einer_minus_Click},
        {QStringLiteral("cmd_Einer_plus"), &Commands::cmd_Einer_plus_Click},
        {QStringLiteral("cmd_Hilfszahl_loeschen"), &Commands::cmd_Hilfszahl_loeschen_Click},
        {QStringLiteral("cmd_Hunderter_add_minus"), &Commands::cmd_Hunderter_add_minus_Click},
        {QStringLiteral("cmd_Hunderter_add_plus"), &Commands::cmd_Hunderter_add_plus_Click},
        {QStringLiteral("cmd_Hunderter_minus"), &Commands::cmd_Hunderter_minus_Click},
        {QStringLiteral("cmd_Hunderter_plus"), &Commands::cmd_Hunderter_plus_Click},
        {QStringLiteral("cmd_ok"), &Commands::cmd_ok_Click},
        {QStringLiteral("cmd_ok_add"), &Commands::cmd_ok_add_Click},
        {QStringLiteral("cmd_Tausender_add_minus"), &Commands::cmd_Tausender_add_minus_Click},
        {QStringLiteral("cmd_Tausender_add_plus"), &Commands::cmd_Tausender_add_plus_Click},
        {QStringLiteral("cmd_Tausender_minus"), &Commands::cmd_Tausender_minus_Click},
        {QStringLiteral("cmd_Tausender_plus"), &Commands::cmd_Tausender_plus_Click},
        {QStringLiteral("cmd_Zehner_add_minus"), &Commands::cmd_Zehner_add_minus_Click},
        {QStringLiteral("cmd_Zehner_add_plus"), &Commands::cmd_Zehner_add_plus_Click},
        {QStringLiteral("cmd_Zehner_minus"), &Commands::cmd_Zehner_minus_Click},
        {QStringLiteral("cmd_Zehner_plus"), &Commands::cmd_Zehner_plus_Click},
    };
    return handlers.value(name);
}

void Commands::enter(Row row) {
    const QString text = m_boxes.entryText(row);
    // A number outside the 16-bit range changes nothing at all.
    if (const auto value = readEntryNumber(text.toStdString()))
        m_counter.setRow(row, *value);
    else
        m_counter.refuse(text.trimmed().startsWith(u'-') ? Refusal::TooSmall : Refusal::TooBig);
}
