#include "workflow/config_checks.h"

#include <string>

#include "model/config_image.h"
#include "model/transfer_function.h"

namespace r4860::workflow {

Status CheckWritable(model::ConfigRecord& rec, long today) {
    const auto refused = [](const std::string& message) {
        return makeError(Errc::Refused, model::TranslateRuleMessage(message) + "!");
    };
    if (auto encodable = model::CheckEncodable(rec, today); !encodable) return refused(encodable.error().message);
    if (auto tf = model::ComputeTransferFunction(rec); !tf) return refused(tf.error().message);
    return {};
}

}  // namespace r4860::workflow
