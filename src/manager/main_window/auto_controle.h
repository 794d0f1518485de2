#pragma once
// Contrôle de l'installation (kaldron --self-test) : verdict en français.
#include <QString>
#include <QTextStream>

// Rend 0 si tout va bien, 1 sinon ; écrit un compte rendu ligne par ligne.
int auto_controle(QTextStream& sortie);
