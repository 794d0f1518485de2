// Banc d'essai du visualiseur : vidage hexadécimal d'un fichier de 100 Mio
// jusqu'aux premières lignes montrées, comparé à xxd ; mémoire de pointe pour
// 10 Mio et 1 Gio (creux) ; ouverture d'un texte de 50 Mio comparée à cat.
// Sortie : une ligne « NOM;notre_ms;pair_ms;pair » par mesure.
#include "viewer/core/texte.h"
#include "viewer/core/vidage.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvine;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 k_mio = qint64(1024) * 1024;
constexpr int k_essais = 3;

void echec(const char* quoi) {
    (void)std::fprintf(stderr, "bench_morvine_vidage : %s\n", quoi);
    std::exit(1);
}

// Meilleur temps (ms) de 'k_essais' exécutions.
double mesurer(const std::function<bool()>& f) {
    double meilleur = 1e300;
    for (int i = 0; i < k_essais; ++i) {
        const auto debut = std::chrono::steady_clock::now();
        if (!f())
            echec("une mesure a échoué");
        const std::chrono::duration<double, std::milli> duree =
            std::chrono::steady_clock::now() - debut;
        meilleur = std::min(meilleur, duree.count());
    }
    return meilleur;
}

void afficher(const QString& nom, double notre, double pair, const char* outil) {
    std::printf("%s;%.3f;%.3f;%s\n", nom.toUtf8().constData(), notre, pair, outil);
    (void)std::fflush(stdout);
}

QString fichier_aleatoire(const QTemporaryDir& dossier, const QString& nom, qint64 taille) {
    QFile fichier(dossier.filePath(nom));
    if (!fichier.open(QIODevice::WriteOnly))
        echec("création du fichier source");
    QRandomGenerator generateur(7);
    QByteArray bloc(k_mio, Qt::Uninitialized);
    for (qint64 fait = 0; fait < taille; fait += bloc.size()) {
        generateur.fillRange(reinterpret_cast<quint32*>(bloc.data()), bloc.size() / 4);
        if (fichier.write(bloc.constData(), std::min<qint64>(bloc.size(), taille - fait)) < 0)
            echec("écriture du fichier source");
    }
    return fichier.fileName();
}

// Vidage complet puis modèle prêt à montrer ses premières lignes.
bool vidage_montre(const QString& source, const QString& vidage) {
    const qint64 lignes = produire_vidage(source, vidage);
    ModeleVidage modele;
    if (lignes < 0 || !modele.ouvrir(vidage) || modele.nombre_lignes() != lignes)
        return false;
    for (int n = 0; n < std::min(40, modele.rowCount()); ++n) {
        if (modele.data(modele.index(n)).toString().isEmpty())
            return false;
    }
    return true;
}

// Outil pair sans shell, sortie standard dans un fichier.
bool lancer(const QString& programme, const QStringList& arguments, const QString& sortie) {
    QProcess processus;
    processus.setStandardOutputFile(sortie);
    processus.start(programme, arguments);
    return processus.waitForFinished(-1) && processus.exitStatus() == QProcess::NormalExit &&
           processus.exitCode() == 0;
}

// Mémoire de pointe (Mio) d'un processus fils qui fait le vidage et va à la
// dernière ligne ; 'derniere_ms' reçoit le temps de ce saut.
double memoire_de_pointe(const QString& source, const QString& vidage, double& derniere_ms) {
    int tube[2];
    if (::pipe(tube) != 0)
        echec("pipe");
    const pid_t fils = ::fork();
    if (fils == 0) {
        ::close(tube[0]);
        ModeleVidage modele;
        const qint64 lignes = produire_vidage(source, vidage);
        const auto debut = std::chrono::steady_clock::now();
        const bool ok = lignes > 0 && modele.ouvrir(vidage) &&
                        !modele.data(modele.index(modele.rowCount() - 1)).toString().isEmpty();
        const std::chrono::duration<double, std::milli> duree =
            std::chrono::steady_clock::now() - debut;
        const double ms = duree.count();
        const bool ecrit = ::write(tube[1], &ms, sizeof ms) == sizeof ms;
        ::_exit(ok && ecrit ? 0 : 1);
    }
    ::close(tube[1]);
    const bool lu = ::read(tube[0], &derniere_ms, sizeof derniere_ms) == sizeof derniere_ms;
    ::close(tube[0]);
    int statut = 0;
    rusage usage{};
    if (::wait4(fils, &statut, 0, &usage) != fils || !lu || !WIFEXITED(statut) ||
        WEXITSTATUS(statut) != 0)
        echec("mesure de mémoire");
    QFile::remove(vidage);
    return double(usage.ru_maxrss) / 1024.0;
}

void vidage_100_mio(const QTemporaryDir& dossier) {
    const QString source = fichier_aleatoire(dossier, u"SOURCE100.BIN"_s, 100 * k_mio);
    const QString vidage = dossier.filePath(u"QX100.TMP"_s);
    const QString sortie_xxd = dossier.filePath(u"xxd.txt"_s);
    const double notre = mesurer([&] { return vidage_montre(source, vidage); });
    QFile::remove(vidage);
    const double pair = mesurer([&] { return lancer(u"xxd"_s, {source}, sortie_xxd); });
    QFile::remove(sortie_xxd);
    QFile::remove(source);
    afficher(u"vidage 100 Mio jusqu'aux premières lignes"_s, notre, pair, "xxd");
}

void memoire(const QTemporaryDir& dossier) {
    // 10 Mio aléatoires, comparés à xxd pour le temps.
    const QString petit = fichier_aleatoire(dossier, u"SOURCE10.BIN"_s, 10 * k_mio);
    const QString vidage = dossier.filePath(u"QXMEM.TMP"_s);
    double derniere = 0;
    const auto debut = std::chrono::steady_clock::now();
    const double pointe_10 = memoire_de_pointe(petit, vidage, derniere);
    const std::chrono::duration<double, std::milli> duree =
        std::chrono::steady_clock::now() - debut;
    const QString sortie_xxd = dossier.filePath(u"xxd10.txt"_s);
    const double pair = mesurer([&] { return lancer(u"xxd"_s, {petit}, sortie_xxd); });
    QFile::remove(sortie_xxd);
    afficher(u"vidage 10 Mio, mémoire de pointe %1 Mio"_s.arg(pointe_10, 0, 'f', 1), duree.count(),
             pair, "xxd");
    // 1 Gio creux : aucun pair (la sortie de xxd ferait 4 Go de plus).
    QFile creux(dossier.filePath(u"CREUX1G.BIN"_s));
    if (!creux.open(QIODevice::WriteOnly) || !creux.resize(1024 * k_mio))
        echec("fichier creux");
    creux.close();
    const auto debut_g = std::chrono::steady_clock::now();
    const double pointe_g = memoire_de_pointe(creux.fileName(), vidage, derniere);
    const std::chrono::duration<double, std::milli> duree_g =
        std::chrono::steady_clock::now() - debut_g;
    afficher(u"vidage 1 Gio creux, mémoire de pointe %1 Mio"_s.arg(pointe_g, 0, 'f', 1),
             duree_g.count(), 0, "-");
    afficher(u"vidage 1 Gio : aller à la dernière ligne"_s, derniere, 0, "-");
    creux.remove();
}

void texte_50_mio(const QTemporaryDir& dossier) {
    const QString source = fichier_aleatoire(dossier, u"TEXTE50.TXT"_s, 50 * k_mio);
    const double notre = mesurer([&] {
        const std::optional<QString> texte = lire_texte(source);
        return texte && texte->size() == 50 * k_mio;
    });
    const double pair = mesurer([&] { return lancer(u"cat"_s, {source}, u"/dev/null"_s); });
    QFile::remove(source);
    afficher(u"ouverture d'un texte de 50 Mio"_s, notre, pair, "cat");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dossier;
    if (!dossier.isValid())
        echec("répertoire temporaire");
    vidage_100_mio(dossier);
    memoire(dossier);
    texte_50_mio(dossier);
    return 0;
}
