#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

#include "windows/prompt.h"
#include "workbench/frmmain.h"
#include "workbench/translations.h"

namespace {

// `orlek --help`; the manual page orlek(1) is made from it.
const char* const kHelpText = R"HELP(orlek — učno okolje za mikrokrmilnik Motorola MC6803

Uporaba:
  orlek [DATOTEKA]
  orlek --help

Orlek je delovno okolje z urejevalnikom, zbirnikom in simulatorjem procesorja MC6803 z vrati,
serijskim vmesnikom, časovnikom in sledenjem vodila. Program v zbirniku napišete, prevedete,
naložite in izvajate korak za korakom, počasi, hitro ali turbo, ter pri tem opazujete registre,
zastavice in pomnilnik. Glavno okno je pas na vrhu zaslona (meniji, orodna vrstica, registri);
okno s kodo in druga okna plavajo pod njim in se prikažejo ali skrijejo v meniju "Okna".

DATOTEKA je izvorna datoteka v zbirniku (.asm, .s07), ki jo okolje odpre ob zagonu v oknu s
kodo; brez nje odpre zadnji dokument.
  -h, --help           izpiše to pomoč in konča

Tipke:
  F6                   "Prevedi": prevede brez nalaganja (preverjanje napak)
  F9                   "Naloži": prevede, naloži in ponastavi procesor (PC iz $FFFE)
  F7                   "Naslednji korak": izvede en ukaz
  Shift+F7             "Korak nazaj": razveljavi zadnji ukaz z vsem, kar je spremenil
  Ctrl+F9              "Počasi izvajaj": tek s počasnim korakom
  Shift+F9             "Hitro izvajaj": tek s hitrim korakom
  Ctrl+Shift+F9        "Turbo": tek s polno hitrostjo računalnika
  F2                   "Pavza": ustavi tek
  Ctrl+F2              "Stop": konča izvajanje; registri in pomnilnik ostanejo
  F5                   "Prekinitvena točka": vklopi ali izklopi točko v vrstici kazalca
  F1                   opis ukaza pod kazalcem
  Ctrl+Presledek       dopolnjevanje ukaza

Datoteke:
  ~/.config/Trivel/Orlek.conf
                       postavitev oken, nastavitve in nedavne datoteke
  ~/.local/share/orlek/list.lst
                       listing zadnjega prevoda ("Orodja > Listing"); program, ki ga zaženete
                       iz gradbenega drevesa, ga zapiše v svojo mapo
  /usr/lib/orlek/help/manual.htm
                       priročnik ("Pomoč > Kazalo")

Programe brez okolja prevaja, izvaja in preverja orlek-cli.
)HELP";

} // namespace

int main(int argc, char* argv[]) {
    // The help needs no display, so it comes before the application.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelpText, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orlek"));
    QApplication::setOrganizationName(QStringLiteral("Trivel"));

    // The toolkit's own dialogs (file and print dialogs, message-box buttons) in Slovenian.
    InstallTranslations();

    // The program's data (bin/, help/) lies beside the executable; the path is the real one,
    // with symbolic links resolved.
    const QString programDir = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();

    TfrmMain main(programDir);
    if (!main.Ok()) {
        Prompt().ShowError(QStringLiteral("Orlek"), main.StartupError());
        return 1;
    }
    const QStringList args = QCoreApplication::arguments();
    main.Start(args.size() > 1 ? args.at(1) : QString());
    return app.exec();
}
