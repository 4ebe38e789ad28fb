// The record set object: its creation and lifetime.
#include "recordset.h"

#include <new>

namespace ado_standin {

Recordset::Recordset() : fields_object_(this) {}

Recordset::~Recordset() { DetachFields(); }

HRESULT Recordset::Create(REFIID riid, void** object) {
    return ambrelle::CreateAndQuery(new (std::nothrow) Recordset(), riid, object);
}

}  // namespace ado_standin
