// The viewer's conversions between a model-exchange record and its mesh model.
#pragma once

#include "geometry/ZtModel.h"
#include "plugin_interface/ModelExchange.h"

// Fills a freshly constructed, empty model from an imported record.
// Returns 1, or -1 for a null argument, a record without vertices, or a record
// that does not hold together: a block smaller than its count, a vertex index
// outside the vertex array (other than -1), a normal index outside a non-empty
// normal array, or a group entry outside the triangle array.  Such a record
// would make every later drawing read outside the arrays.  On -1 the model may
// hold part of the data; the caller discards it.
int ModelFromExchangeRecord(ModelExchangeRecord* record, CZtModel* model);

// Writes a model into a zeroed record for an export plug-in (groups in
// reverse order, names cut to 255 bytes).  The record's blocks are unlocked
// on return.  Returns 1 or -1.
int ModelToExchangeRecord(const CZtModel* model, ModelExchangeRecord* record);
