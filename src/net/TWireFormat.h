#pragma once

#include <memory>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/data/TFilter.h"
#include "base/server/IAppServer.h"
#include "net/tavrek.pb.h"

namespace tavrek::net {

// Values, filters, rows, datasets and change logs as they travel between the client proxy
// and the service: each To... has its From... that gives back what was sent.
void ToWire(const Variant& value, Value& wire);
Variant FromWire(const Value& wire);

void ToWire(const TFilter& filter, Filter& wire);
TFilter FromWire(const Filter& wire);

void ToWire(const TRequestResult& rows, Rows& wire);
TRequestResult FromWire(const Rows& wire);

void ToWire(const TVariantArray& values, google::protobuf::RepeatedPtrField<Value>& wire);
TVariantArray FromWire(const google::protobuf::RepeatedPtrField<Value>& wire);

void ToWire(const std::vector<TFieldDef>& defs, google::protobuf::RepeatedPtrField<FieldDef>& wire);
// Adds the fields to a dataset that has none.
void AddFields(const google::protobuf::RepeatedPtrField<FieldDef>& wire, TClientDataSet& target);

// The rows of the dataset from the first one given, with its fields when withFields.
void ToWire(const TClientDataSet& data, int firstRow, bool withFields, DataSet& wire);
// As the server fills a dataset: opening puts the fields (when the dataset has none) and the
// rows in place of what it held; otherwise the rows are appended. Returns the rows appended.
int FromWire(const DataSet& wire, bool opens, TClientDataSet& target);

void ToWire(const TUpdatePacket& packet, Packet& wire);
// A dataset whose change log is the one sent, for the server to apply.
std::unique_ptr<TClientDataSet> ChangesFromWire(const Packet& wire);

void ToWire(const TUserRights& rights, google::protobuf::RepeatedPtrField<Right>& wire);
TUserRights FromWire(const google::protobuf::RepeatedPtrField<Right>& wire);

}  // namespace tavrek::net
