// One appended field: its definition and its values for every row.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "column_values.h"

namespace ado_standin {

class FieldObject;

struct FieldDefinition {
    FieldDefinition(std::wstring field_name, LONG data_type, LONG size, LONG field_attributes, VARTYPE stored_type)
        : name(std::move(field_name)),
          type(data_type),
          defined_size(size),
          attributes(field_attributes),
          values(stored_type) {}

    std::wstring name;
    LONG type;          // ADO DataTypeEnum
    LONG defined_size;  // characters for text types
    LONG attributes;    // ADO FieldAttributeEnum flags
    BYTE precision = 0;
    BYTE numeric_scale = 0;
    size_t ordinal = 0;
    ColumnValues values;
    // The Field object handed out for this field while a client holds it; it
    // unregisters itself when released, and is detached when the field goes.
    FieldObject* live_object = nullptr;
};

}  // namespace ado_standin
