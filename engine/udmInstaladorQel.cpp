#include "engine/udmInstaladorQel.h"

#include "dbupgrade/ConnectionText.h"
#include "platform/Text.h"

namespace qel {

TdmInstalaQel::TdmInstalaQel() {
    adoInstalaQel_.SetLoginPrompt(false);
    adoInstalaQel_.SetShareMode(db::ShareMode::DenyNone);
}

void TdmInstalaQel::ConfiguraConexao(const std::string& caminhoBanco) {
    adoInstalaQel_.SetConnectionString(text::Widen(db::ShortConnectionText(caminhoBanco)));
}

}  // namespace qel
