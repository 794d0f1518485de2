// Banc d'essai du moteur de copie : un fichier de 1 Gio et 10 000 fichiers de
// 4 Kio, copiés par le même moteur que COPIER (boucle d'événements vivante,
// jauge et arrêt lus), comparés à dd bs=8192 et à cp. Sortie : lignes
// « NOM;notre_ms;pair_ms;pair ».
#include "manager/commands/moteur_copie.h"
#include "platform/unites.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 k_gros = qint64(1) << 30;
constexpr int k_petits = 10000;
constexpr int k_taille_petit = 4096;

void echouer(const char* quoi) {
    (void)std::fprintf(stderr, "bench_copie : %s\n", quoi);
    std::exit(1);
}

void preparer(const QString& racine) {
    QDir(racine).removeRecursively();
    QDir().mkpath(racine + u"/petits"_s);
    QFile gros(racine + u"/gros.bin"_s);
    if (!gros.open(QIODevice::WriteOnly))
        echouer("création du gros fichier");
    QByteArray bloc(1 << 20, 'k');
    for (qint64 ecrits = 0; ecrits < k_gros; ecrits += bloc.size()) {
        bloc[0] = char(ecrits >> 20);
        gros.write(bloc);
    }
    gros.close();
    const QByteArray petit(k_taille_petit, 'p');
    for (int i = 0; i < k_petits; ++i) {
        QFile f(racine + u"/petits/P%1.DAT"_s.arg(i, 5, 10, QChar(u'0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(petit) != k_taille_petit)
            echouer("création des petits fichiers");
    }
}

// Rappels de la commande : jauge dans une variable, arrêt lu, boucle cédée.
copie::Rappels rappels(int& jauge, bool& arret) {
    return {[](bool) {}, [&jauge](int v) { jauge = v; }, [&arret] { return arret; },
            [] { QCoreApplication::processEvents(); }};
}

double mesurer(const std::function<void()>& travail) {
    QElapsedTimer t;
    t.start();
    travail();
    return double(t.nsecsElapsed()) / 1e6;
}

double commande(const QString& ligne) {
    return mesurer([&] {
        if (QProcess::execute(u"/bin/sh"_s, {u"-c"_s, ligne}) != 0)
            echouer("outil pair");
    });
}

void vider(const QString& repertoire) {
    QDir(repertoire).removeRecursively();
    QDir().mkpath(repertoire);
}

double notre_gros(int& jauge, bool& arret) {
    vider(u"/tmp/kaldron-banc-copie/sortie"_s);
    return mesurer([&] {
        copie::copier_blocs(u"K:\\gros.bin"_s, u"K:\\sortie\\gros.bin"_s, rappels(jauge, arret));
    });
}

double nos_petits(int& jauge, bool& arret) {
    vider(u"/tmp/kaldron-banc-copie/sortie"_s);
    const QStringList noms = QDir(u"/tmp/kaldron-banc-copie/petits"_s).entryList(QDir::Files);
    return mesurer([&] {
        for (const QString& nom : noms)
            copie::copier_blocs(u"K:\\petits\\"_s + nom, u"K:\\sortie\\"_s + nom,
                                rappels(jauge, arret));
    });
}

// Délai entre la demande d'arrêt (minuterie de la boucle) et la fin de la copie.
double delai_arret() {
    vider(u"/tmp/kaldron-banc-copie/sortie"_s);
    int jauge = 0;
    bool arret = false;
    QElapsedTimer depuis;
    QTimer::singleShot(200, [&] {
        arret = true;
        depuis.start();
    });
    copie::copier_blocs(u"K:\\gros.bin"_s, u"K:\\sortie\\gros.bin"_s, rappels(jauge, arret));
    return double(depuis.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString racine = u"/tmp/kaldron-banc-copie"_s;
    preparer(racine);
    // Unité K: sur le répertoire du banc, sans toucher au vrai WIN.INI.
    QTemporaryDir windows;
    qputenv("KALDRON_WINDOWS", QFile::encodeName(windows.path()));
    plateforme::TableUnites::instance().ajouter(u'K', racine);
    int jauge = 0;
    bool arret = false;
    const QString sortie = racine + u"/sortie"_s;
    const double nous_gros = notre_gros(jauge, arret);
    vider(sortie);
    const double dd =
        commande(u"dd if=%1/gros.bin of=%2/gros.bin bs=8192 status=none"_s.arg(racine, sortie));
    vider(sortie);
    const double cp_gros = commande(u"cp %1/gros.bin %2/gros.bin"_s.arg(racine, sortie));
    const double nous_petits = nos_petits(jauge, arret);
    vider(sortie);
    const double cp_petits = commande(u"cp -r %1/petits/. %2/"_s.arg(racine, sortie));
    const double arret_ms = delai_arret();
    std::printf("copie 1 Gio;%.1f;%.1f;dd bs=8192\n", nous_gros, dd);
    std::printf("copie 1 Gio;%.1f;%.1f;cp\n", nous_gros, cp_gros);
    std::printf("copie 10 000 × 4 Kio;%.1f;%.1f;cp -r\n", nous_petits, cp_petits);
    std::printf("arrêt pendant la copie;%.1f;100.0;délai visé\n", arret_ms);
    QDir(racine).removeRecursively();
    return jauge == 100 ? 0 : 1;
}
