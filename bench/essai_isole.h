#pragma once
// Bancs du visualiseur : chaque essai tourne dans un processus à lui, pour
// que sa pointe de mémoire ne doive rien aux essais d'avant.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

// Valeur (en Kio) d'une ligne de /proc/self/status ; -1 si elle manque.
inline qint64 kio_de(const char* champ) {
    QFile statut(QStringLiteral("/proc/self/status"));
    if (!statut.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& ligne : statut.readAll().split('\n')) {
        if (ligne.startsWith(champ))
            return ligne.mid(qsizetype(std::strlen(champ)))
                .trimmed()
                .split(' ')
                .value(0)
                .toLongLong();
    }
    return -1;
}

// 'essai' tourne dans un processus fils, qui rend son résultat par un tube ;
// faux (statut écrit) si le fils n'a rien rendu ou n'est pas sorti par 0.
template <class R> bool dans_un_processus(const std::function<R()>& essai, R& r) {
    static_assert(std::is_trivially_copyable_v<R>);
    int tube[2];
    if (::pipe(tube) != 0)
        return false;
    const pid_t fils = ::fork();
    if (fils < 0)
        return false;
    if (fils == 0) {
        ::close(tube[0]);
        const R rendu = essai();
        const bool ecrit = ::write(tube[1], &rendu, sizeof rendu) == sizeof rendu;
        ::_exit(ecrit ? 0 : 1);
    }
    ::close(tube[1]);
    const bool lu = ::read(tube[0], &r, sizeof r) == sizeof r;
    ::close(tube[0]);
    int statut = 0;
    if (::waitpid(fils, &statut, 0) != fils || !lu || !WIFEXITED(statut) ||
        WEXITSTATUS(statut) != 0) {
        (void)std::fprintf(stderr, "statut du fils : %d\n", statut);
        return false;
    }
    return true;
}
