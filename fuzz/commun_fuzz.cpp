#include "commun_fuzz.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

// Supprime le répertoire jetable à la sortie normale du processus.
struct Nettoyage {
    QString chemin;
    ~Nettoyage() {
        if (!chemin.isEmpty())
            QDir(chemin).removeRecursively();
    }
};

Nettoyage& nettoyage() {
    static Nettoyage n;
    return n;
}

} // namespace

void initialiser_qt() {
    static int argc = 1;
    static char nom[] = "fuzz";
    static char* argv[] = {nom, nullptr};
    // Jamais détruite : à la sortie, son destructeur passerait après celui
    // d'objets statiques de Qt et planterait.
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

const QString& repertoire_jetable() {
    static const QString chemin = [] {
        // En mémoire quand c'est possible : les fsync des enregistrements y
        // sont gratuits et la course va plus vite.
        char modele_shm[] = "/dev/shm/kaldron-fuzz-XXXXXX";
        char modele_tmp[] = "/tmp/kaldron-fuzz-XXXXXX";
        char* modele = QDir(QStringLiteral("/dev/shm")).exists() ? modele_shm : modele_tmp;
        if (!mkdtemp(modele)) {
            std::perror("mkdtemp");
            std::abort();
        }
        nettoyage().chemin = QString::fromLocal8Bit(modele);
        return nettoyage().chemin;
    }();
    return chemin;
}

QString ecrire_fichier(const QString& nom, const QByteArray& octets) {
    QString chemin = repertoire_jetable() + u'/' + nom;
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        fichier.write(octets) != octets.size()) {
        (void)std::fprintf(stderr, "écriture impossible : %s\n", qPrintable(chemin));
        std::abort();
    }
    return chemin;
}

} // namespace fuzz
