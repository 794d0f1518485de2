#pragma once
// Contrôle de l'installation (morvine --self-test) : verdict en français.
#include <QTextStream>

namespace morvine {

// Rend 0 si tout va bien, 1 sinon ; écrit un compte rendu ligne par ligne.
int auto_controle(QTextStream& sortie);

} // namespace morvine
