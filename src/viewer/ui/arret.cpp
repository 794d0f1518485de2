#include "viewer/ui/arret.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace morvine {

namespace {

int g_tube[2] = {-1, -1};
bool g_arret = false;

// Seul geste permis dans un gestionnaire de signal : écrire un octet.
void noter_signal(int) {
    const char octet = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_tube[1], &octet, 1);
}

} // namespace

void arreter_sur_signal(std::function<void()> nettoyage) {
    if (g_tube[0] >= 0 || ::pipe2(g_tube, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* veille = new QSocketNotifier(g_tube[0], QSocketNotifier::Read, qApp);
    QObject::connect(veille, &QSocketNotifier::activated, qApp, [nettoyage = std::move(nettoyage)] {
        char octet;
        while (::read(g_tube[0], &octet, 1) > 0) {
        }
        g_arret = true;
        nettoyage();
        // exit et non quit : quit demanderait aux fenêtres de se fermer (et
        // d'enregistrer), ce qu'un signal d'arrêt n'attend pas.
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = noter_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool arret_demande() {
    return g_arret;
}

} // namespace morvine
