// Banc d'essai de COPIER : un fichier de 1 Gio et 1 000 fichiers de 4 Kio,
// copiés par la commande même (fenêtre principale, « Sélectionner tout » puis
// COPIER, sans question), d'abord vers un répertoire vide puis par-dessus les
// copies précédentes ; comparés à cp, et à dd bs=8192 pour le gros fichier.
// Le moteur seul est mesuré à côté. Les écritures en attente sont vidées
// (sync) avant chaque mesure : aucune ne paie celles de la précédente.
// Mille petits fichiers et non dix mille : COPIER relit la liste DESTINATION
// après chaque fichier, ce qui coûte en proportion du carré de leur nombre.
// Sortie : lignes « NOM;notre_ms;pair_ms;pair ».
#include "manager/commands/moteur_copie.h"
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/unites.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 k_gros = qint64(1) << 30;
constexpr int k_petits = 1000;
constexpr int k_taille_petit = 4096;
const QString k_racine = u"/tmp/kaldron-banc-copie"_s;
const QString k_sortie = k_racine + u"/sortie"_s;

void echouer(const char* quoi) {
    (void)std::fprintf(stderr, "bench_copie : %s\n", quoi);
    std::exit(1);
}

void ecrire(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size())
        echouer("création des fichiers");
}

void preparer() {
    QDir(k_racine).removeRecursively();
    QDir().mkpath(k_racine + u"/gros"_s);
    QDir().mkpath(k_racine + u"/petits"_s);
    QDir().mkpath(k_racine + u"/kaldron"_s);
    QFile gros(k_racine + u"/gros/gros.bin"_s);
    if (!gros.open(QIODevice::WriteOnly))
        echouer("création du gros fichier");
    QByteArray bloc(1 << 20, 'k');
    for (qint64 ecrits = 0; ecrits < k_gros; ecrits += bloc.size()) {
        bloc[0] = char(ecrits >> 20);
        gros.write(bloc);
    }
    gros.close();
    const QByteArray petit(k_taille_petit, 'p');
    for (int i = 0; i < k_petits; ++i)
        ecrire(k_racine + u"/petits/P%1.DAT"_s.arg(i, 5, 10, QChar(u'0')), petit);
    // Ni confirmation ni question de remplacement : la commande tourne seule.
    ecrire(k_racine + u"/kaldron/KALDRON.INI"_s, "[Options]\r\nConfirme=Non\r\nRemplace=Non\r\n");
}

double mesurer(const std::function<void()>& travail) {
    ::sync();
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

void vider_sortie() {
    QDir(k_sortie).removeRecursively();
    QDir().mkpath(k_sortie);
}

// « Sélectionner tout » dans le répertoire K:\<source>, puis COPIER vers K:\sortie.
double par_copier(Gestion_Fichiers& f, const QString& source) {
    const QString dos = u"K:\\"_s + source;
    f.Répertoire_srce->setPath(dos);
    f.Fichier_srce->setPath(dos);
    f.Répertoire_dest->setPath(u"K:\\sortie"_s);
    f.Fichier_dest->setPath(u"K:\\sortie"_s);
    if (f.sélection_totale)
        f.Sélecte_Click();
    f.Sélecte_Click();
    const double ms = mesurer([&] { f.Copier_Click(); });
    if (QDir(k_sortie).entryList(QDir::Files).size() != QDir(k_racine + u'/' + source).count() - 2)
        echouer("COPIER n'a pas tout copié");
    return ms;
}

// Rappels de la commande : jauge dans une variable, arrêt lu, boucle cédée.
copie::Rappels rappels(int& jauge, bool& arret) {
    return {[](bool) {}, [&jauge](int v) { jauge = v; }, [&arret] { return arret; },
            [] { QCoreApplication::processEvents(); }};
}

double moteur_gros(int& jauge, bool& arret) {
    return mesurer([&] {
        copie::copier_blocs(u"K:\\gros\\gros.bin"_s, u"K:\\sortie\\gros.bin"_s,
                            rappels(jauge, arret));
    });
}

double moteur_petits(int& jauge, bool& arret) {
    const QStringList noms = QDir(k_racine + u"/petits"_s).entryList(QDir::Files);
    return mesurer([&] {
        for (const QString& nom : noms)
            copie::copier_blocs(u"K:\\petits\\"_s + nom, u"K:\\sortie\\"_s + nom,
                                rappels(jauge, arret));
    });
}

// Délai entre la demande d'arrêt (minuterie de la boucle) et la fin de la copie.
double delai_arret() {
    vider_sortie();
    int jauge = 0;
    bool arret = false;
    QElapsedTimer depuis;
    QTimer::singleShot(200, [&] {
        arret = true;
        depuis.start();
    });
    copie::copier_blocs(u"K:\\gros\\gros.bin"_s, u"K:\\sortie\\gros.bin"_s, rappels(jauge, arret));
    return double(depuis.nsecsElapsed()) / 1e6;
}

void afficher(const char* nom, double notre, double pair, const char* outil) {
    std::printf("%s;%.1f;%.1f;%s\n", nom, notre, pair, outil);
    (void)std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    preparer();
    // Unité K: sur le répertoire du banc, sans toucher au vrai WIN.INI.
    QTemporaryDir windows;
    qputenv("KALDRON_WINDOWS", QFile::encodeName(windows.path()));
    qputenv("KALDRON_PROGRAMME", QFile::encodeName(k_racine + u"/kaldron"_s));
    plateforme::TableUnites::instance().ajouter(u'K', k_racine);
    Gestion_Fichiers f;
    f.Form_Load(true);
    f.espace_libre_de = [](const QString&) { return qint64(1) << 50; };
    f.Unité_dest->setDrive(u"k:"_s);

    const QString gros = k_racine + u"/gros/gros.bin"_s;
    vider_sortie();
    const double cmd_gros = par_copier(f, u"gros"_s);
    const double cmd_gros_remplace = par_copier(f, u"gros"_s);
    vider_sortie();
    const double cp_gros = commande(u"cp %1 %2/"_s.arg(gros, k_sortie));
    const double cp_gros_remplace = commande(u"cp %1 %2/"_s.arg(gros, k_sortie));
    afficher("COPIER 1 Gio", cmd_gros, cp_gros, "cp");
    afficher("COPIER 1 Gio sur l'ancienne copie", cmd_gros_remplace, cp_gros_remplace, "cp");
    vider_sortie();
    const double dd =
        commande(u"dd if=%1 of=%2/gros.bin bs=8192 status=none"_s.arg(gros, k_sortie));
    int jauge = 0;
    bool arret = false;
    vider_sortie();
    afficher("COPIER 1 Gio (moteur seul)", moteur_gros(jauge, arret), dd, "dd bs=8192");
    afficher("COPIER 1 Gio sur l'ancienne (moteur seul)", moteur_gros(jauge, arret),
             cp_gros_remplace, "cp");

    vider_sortie();
    const double cmd_petits = par_copier(f, u"petits"_s);
    const double cmd_petits_remplace = par_copier(f, u"petits"_s);
    vider_sortie();
    const QString cp_r = u"cp -r %1/petits/. %2/"_s.arg(k_racine, k_sortie);
    const double cp_petits = commande(cp_r);
    const double cp_petits_remplace = commande(cp_r);
    afficher("COPIER 1 000 × 4 Kio", cmd_petits, cp_petits, "cp -r");
    afficher("COPIER 1 000 × 4 Kio sur les anciennes", cmd_petits_remplace, cp_petits_remplace,
             "cp -r");
    vider_sortie();
    afficher("COPIER 1 000 × 4 Kio (moteur seul)", moteur_petits(jauge, arret), cp_petits, "cp -r");
    afficher("COPIER 1 000 × 4 Kio sur les anciennes (moteur)", moteur_petits(jauge, arret),
             cp_petits_remplace, "cp -r");
    afficher("arrêt pendant la copie", delai_arret(), 100.0, "délai visé");
    QDir(k_racine).removeRecursively();
    return jauge == 100 ? 0 : 1;
}
