#pragma once
// The message dialog shared by every part of the wizard: one of five kinds (title and
// icon), OK alone or Yes and No, modal over the owner. It sizes itself to its text.
#include <windows.h>

#include <string>

#include "core/UiPort.h"

namespace qel {

// The dialog's title for a kind; the simple kind carries the application title.
std::string MessageTitle(TipoMensagem tipo);

// Shows the dialog and returns the button pressed; Cancelar when it was closed from its
// title bar (close box or Alt+F4). A carriage return in the text starts a new line.
RespostaMensagem MostraMensagem(HWND owner, const std::string& texto, TipoMensagem tipo,
                                BotoesMensagem botoes);

}  // namespace qel
