#include "analysis/regexp.h"

const TClassInfo& TRegExp::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TRegExp>("TRegExp", TComponent::StaticClass()).Creatable().Build();
    return info;
}

TRegExp::TRegExp(TComponent* owner) : TComponent(owner) {}

TRegExp::~TRegExp() = default;

VBScriptRegExp& TRegExp::Service() {
    if (!service_) service_ = std::make_unique<VBScriptRegExp>();
    return *service_;
}
