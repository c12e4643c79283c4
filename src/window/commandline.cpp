#include "commandline.h"

#include "zoom.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace {

const auto kAllowed = QStringLiteral("erlaubt sind --zoom PROZENT (eine ganze Zahl von %1 bis "
                                     "%2), --fullscreen, --vorlesen, --help und --version")
                          .arg(zoom::kSmallest)
                          .arg(zoom::kLargest);

StartOptions failure(const QString &what) {
    return {StartOptions::Error, 0, false, false,
            QStringLiteral("%1: %2; %3.").arg(QCoreApplication::applicationName(), what, kAllowed)};
}

} // namespace

StartOptions parseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Eine vierstellige Zählmaschine: Einer, Zehner, Hunderter und Tausender "
                       "zum Zählen, Übertragen und Borgen.\n\n"
                       "Tasten: F2 sagt Zähler und Hilfszahl an, F4 schaltet das Vorlesen ein und "
                       "aus, F11 zeigt das Fenster als Vollbild, Strg + Plus, Strg + Minus und "
                       "Strg + 0 vergrößern, verkleinern und zeigen die Originalgröße."));
    const QCommandLineOption zoomOption(
        QStringLiteral("zoom"),
        QStringLiteral("Zeigt das Fenster in PROZENT seiner Größe (%1 bis %2). Ohne diese Angabe "
                       "so groß wie beim letzten Mal.")
            .arg(zoom::kSmallest)
            .arg(zoom::kLargest),
        QStringLiteral("PROZENT"));
    const QCommandLineOption fullScreenOption(
        QStringLiteral("fullscreen"),
        QStringLiteral("Füllt den ganzen Bildschirm (F11 oder Esc schaltet zurück)."));
    const QCommandLineOption readAloudOption(
        QStringLiteral("vorlesen"),
        QStringLiteral("Liest jede Meldung vor, wie ein Bildschirmleser sie sagt (F4 schaltet um). "
                       "Ohne diese Angabe wie beim letzten Mal."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Zeigt diese Hilfe."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Zeigt die Version."));
    parser.addOptions({zoomOption, fullScreenOption, readAloudOption, helpOption, versionOption});

    if (!parser.parse(arguments)) {
        const QString unknown = parser.unknownOptionNames().value(0);
        if (!unknown.isEmpty())
            return failure(QStringLiteral("unbekannte Option „%1“")
                               .arg(QLatin1String(unknown.size() == 1 ? "-" : "--") + unknown));
        return failure(
            arguments.constLast() == u"--zoom"
                ? QStringLiteral("--zoom braucht einen Wert")
                : QStringLiteral("--fullscreen, --vorlesen, --help und --version nehmen keinen "
                                 "Wert"));
    }
    if (!parser.positionalArguments().isEmpty())
        return failure(
            QStringLiteral("unerwartetes Argument „%1“").arg(parser.positionalArguments().first()));
    if (parser.isSet(helpOption)) {
        // Named as it was started, without the folders it was started from. Only in the usage
        // line, "Aufruf: NAME [Optionen]": a short name also stands inside other words.
        QString help = parser.helpText().trimmed();
        const QString started = QCoreApplication::arguments().value(0);
        const QString usage = QStringLiteral(": %1 ").arg(started);
        if (const qsizetype at = help.indexOf(usage); !started.isEmpty() && at >= 0)
            help.replace(at + 2, started.size(), QFileInfo(started).fileName());
        return {StartOptions::Help, 0, false, false, help};
    }
    if (parser.isSet(versionOption))
        return {StartOptions::Version, 0, false, false,
                QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(),
                                            QCoreApplication::applicationVersion())};

    StartOptions options;
    options.fullScreen = parser.isSet(fullScreenOption);
    options.readAloud = parser.isSet(readAloudOption);
    if (parser.isSet(zoomOption)) {
        const QString value = parser.value(zoomOption);
        bool number = false;
        options.zoom = value.toInt(&number);
        if (!number || options.zoom < zoom::kSmallest || options.zoom > zoom::kLargest)
            return failure(QStringLiteral("„%1“ ist kein erlaubter Wert für --zoom").arg(value));
    }
    return options;
}
