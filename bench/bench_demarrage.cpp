// Banc d'essai du démarrage : le vrai programme (bin/kaldron), lancé comme
// par l'usager, jusqu'à sa fenêtre principale chargée et la boucle
// d'événements libre, l'écran d'accueil mis en icône (« Iconisé=Oui » : son
// attente de 3 secondes n'a pas lieu). Comparé à une fenêtre Qt nue lancée
// de la même façon (ce banc, relancé avec --fenetre-nue). Chaque programme
// écrit une ligne sur le descripteur $KALDRON_PRET_FD quand sa boucle
// d'événements n'a plus rien à faire ; le temps va du lancement à cette
// ligne. Chaque essai a son répertoire neuf (configuration, verrou).
// Sortie : ligne « NOM;notre_ms;pair_ms;pair » (médianes) ; étendues et
// rapports essai par essai sur la sortie d'erreur.
#include "mesure_banc.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int k_essais = 11;

void echouer(const char* quoi) {
    (void)std::fprintf(stderr, "bench_demarrage : %s\n", quoi);
    std::exit(1);
}

// Le pair : une fenêtre nue, prête de la même façon que le programme.
int fenetre_nue(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget fenetre;
    fenetre.resize(640, 480);
    fenetre.show();
    const int fd = qEnvironmentVariableIntValue("KALDRON_PRET_FD");
    auto connexion = std::make_shared<QMetaObject::Connection>();
    *connexion = QObject::connect(QAbstractEventDispatcher::instance(),
                                  &QAbstractEventDispatcher::aboutToBlock, [fd, connexion] {
                                      QObject::disconnect(*connexion);
                                      (void)!::write(fd, "pret\n", 5);
                                      ::close(fd);
                                  });
    return app.exec();
}

// Temps d'un lancement : horloge jusqu'à la ligne « prêt », et, à titre
// d'indication peu sensible à la charge de la machine, le temps de
// processeur du fil principal à cet instant et celui de tout le processus
// jusqu'à son arrêt (fils de préparation compris).
struct Lancement {
    double ms = 0, fil_principal_ms = 0, processus_ms = 0;
};

double processeur_fil_principal_ms(pid_t pid) {
    const std::string chemin = "/proc/" + std::to_string(pid) + "/schedstat";
    std::FILE* f = std::fopen(chemin.c_str(), "r");
    unsigned long long ns = 0;
    if (f) {
        if (std::fscanf(f, "%llu", &ns) != 1)
            ns = 0;
        (void)std::fclose(f);
    }
    return double(ns) / 1e6;
}

// Lance 'programme' et rend ses temps jusqu'à sa ligne « prêt ».
Lancement lancer(const std::string& programme, const std::vector<std::string>& arguments,
                 const QString& repertoire) {
    int tube[2];
    if (::pipe(tube) != 0)
        echouer("pipe");
    const QByteArray base = QFile::encodeName(repertoire);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("KALDRON_", 0) != 0 && v.rfind("XDG_RUNTIME_DIR=", 0) != 0 &&
            v.rfind("HOME=", 0) != 0 && v.rfind("QT_QPA_PLATFORM=", 0) != 0)
            env.push_back(v);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("KALDRON_PRET_FD=" + std::to_string(tube[1]));
    env.push_back("KALDRON_PROGRAMME=" + base.toStdString() + "/kaldron");
    env.push_back("KALDRON_WINDOWS=" + base.toStdString() + "/windows");
    env.push_back("XDG_RUNTIME_DIR=" + base.toStdString() + "/run");
    env.push_back("HOME=" + base.toStdString() + "/home");
    std::vector<char*> envp;
    for (std::string& v : env)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{programme};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, tube[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, base.constData());
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        echouer("lancement");
    posix_spawn_file_actions_destroy(&actions);
    ::close(tube[1]);
    char ligne[8] = {};
    const ssize_t lus = ::read(tube[0], ligne, sizeof ligne);
    Lancement l;
    l.ms = double(t.nsecsElapsed()) / 1e6;
    l.fil_principal_ms = processeur_fil_principal_ms(pid);
    ::close(tube[0]);
    ::kill(pid, SIGKILL);
    int statut = 0;
    rusage usage{};
    ::wait4(pid, &statut, 0, &usage);
    l.processus_ms = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    if (lus != 5 || std::strncmp(ligne, "pret\n", 5) != 0)
        echouer("le programme n'a pas signalé sa fin de démarrage");
    return l;
}

// Répertoire neuf d'un essai : programme (KALDRON.INI), Windows, verrou, maison.
QString preparer(const QTemporaryDir& racine, int essai, const char* qui) {
    const QString rep = racine.filePath(u"%1-%2"_s.arg(QLatin1StringView(qui)).arg(essai));
    for (const char* sous : {"kaldron", "windows", "run", "home"})
        QDir().mkpath(rep + u'/' + QLatin1StringView(sous));
    QFile(rep + u"/run"_s)
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile ini(rep + u"/kaldron/KALDRON.INI"_s);
    if (!ini.open(QIODevice::WriteOnly) ||
        ini.write(QByteArray("[Options]\r\nIconis\xe9=Oui\r\n")) < 0)
        echouer("KALDRON.INI");
    return rep;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--fenetre-nue") == 0)
        return fenetre_nue(argc, argv);
    QCoreApplication app(argc, argv);
    const std::string kaldron =
        QFile::encodeName(QCoreApplication::applicationDirPath() + u"/../bin/kaldron"_s)
            .toStdString();
    const std::string banc =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    if (::access(kaldron.c_str(), X_OK) != 0)
        echouer("bin/kaldron introuvable (construire la cible kaldron)");
    QTemporaryDir racine;
    // Un premier lancement de chaque, non compté : bibliothèques en mémoire.
    lancer(kaldron, {}, preparer(racine, -1, "kaldron"));
    lancer(banc, {"--fenetre-nue"}, preparer(racine, -1, "nue"));
    std::vector<Lancement> notre, pair;
    for (int essai = 0; essai < k_essais; ++essai) {
        // Tour à tour le premier : aucun ne profite toujours de l'autre.
        const QString rep_k = preparer(racine, essai, "kaldron");
        const QString rep_n = preparer(racine, essai, "nue");
        if (essai % 2 == 0) {
            notre.push_back(lancer(kaldron, {}, rep_k));
            pair.push_back(lancer(banc, {"--fenetre-nue"}, rep_n));
        } else {
            pair.push_back(lancer(banc, {"--fenetre-nue"}, rep_n));
            notre.push_back(lancer(kaldron, {}, rep_k));
        }
    }
    const auto serie = [](const std::vector<Lancement>& v, double Lancement::*champ) {
        std::vector<double> r;
        for (const Lancement& l : v)
            r.push_back(l.*champ);
        return r;
    };
    (void)std::fprintf(stderr,
                       "processeur (médianes) : fil principal jusqu'à « prêt » nous %.1f ms, "
                       "pair %.1f ms ; processus entier nous %.1f ms, pair %.1f ms\n",
                       mediane(serie(notre, &Lancement::fil_principal_ms)),
                       mediane(serie(pair, &Lancement::fil_principal_ms)),
                       mediane(serie(notre, &Lancement::processus_ms)),
                       mediane(serie(pair, &Lancement::processus_ms)));
    afficher_serie("démarrage jusqu'à la fenêtre principale (en icône)",
                   serie(notre, &Lancement::ms), serie(pair, &Lancement::ms), "fenêtre Qt nue");
    return 0;
}
