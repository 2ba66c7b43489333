#include "net/TWireFormat.h"

#include <stdexcept>

namespace tavrek::net {

void ToWire(const Variant& value, Value& wire) {
    switch (value.Type()) {
        case TVarType::varNull: wire.Clear(); break;
        case TVarType::varBoolean: wire.set_boolean(value.AsBoolean()); break;
        case TVarType::varInteger: wire.set_integer(value.AsInteger()); break;
        case TVarType::varDouble: wire.set_real(value.AsFloat()); break;
        case TVarType::varString: wire.set_text(value.AsString()); break;
        case TVarType::varDate: wire.set_date(value.AsDateTime().Serial()); break;
    }
}

Variant FromWire(const Value& wire) {
    switch (wire.kind_case()) {
        case Value::kBoolean: return Variant(wire.boolean());
        case Value::kInteger: return Variant(static_cast<int64_t>(wire.integer()));
        case Value::kReal: return Variant(wire.real());
        case Value::kText: return Variant(wire.text());
        case Value::kDate: return Variant(TDateTime(wire.date()));
        case Value::KIND_NOT_SET: break;
    }
    return Variant();
}

void ToWire(const TFilter& filter, Filter& wire) {
    for (const TFilterCondition& c : filter.Conditions()) {
        Condition& condition = *wire.add_conditions();
        condition.set_field(c.Field);
        condition.set_op(static_cast<int>(c.Op));
        ToWire(c.Value, *condition.mutable_value());
        condition.set_connector(static_cast<int>(c.Connector));
        condition.set_open(c.Open);
        condition.set_close(c.Close);
    }
}

TFilter FromWire(const Filter& wire) {
    TFilter filter;
    for (const Condition& c : wire.conditions()) {
        if (c.op() < 0 || c.op() > static_cast<int>(TFilterOp::opLike) || c.connector() < 0 ||
            c.connector() > static_cast<int>(TFilterConnector::fcOr))
            throw EFilterError("Непознат оператор или съюз във филтъра за '" + c.field() + "'");
        TFilterCondition condition;
        condition.Field = c.field();
        condition.Op = static_cast<TFilterOp>(c.op());
        condition.Value = FromWire(c.value());
        condition.Connector = static_cast<TFilterConnector>(c.connector());
        condition.Open = c.open();
        condition.Close = c.close();
        filter.Add(std::move(condition));
    }
    return filter;
}

void ToWire(const TVariantArray& values, google::protobuf::RepeatedPtrField<Value>& wire) {
    wire.Reserve(static_cast<int>(values.size()));
    for (const Variant& value : values) ToWire(value, *wire.Add());
}

TVariantArray FromWire(const google::protobuf::RepeatedPtrField<Value>& wire) {
    TVariantArray values;
    values.reserve(static_cast<size_t>(wire.size()));
    for (const Value& value : wire) values.push_back(FromWire(value));
    return values;
}

void ToWire(const TRequestResult& rows, Rows& wire) {
    for (const std::string& column : rows.Columns) wire.add_columns(column);
    for (const TVariantArray& row : rows.Rows) ToWire(row, *wire.add_rows()->mutable_values());
}

TRequestResult FromWire(const Rows& wire) {
    TRequestResult rows;
    rows.Columns.assign(wire.columns().begin(), wire.columns().end());
    for (const Row& row : wire.rows()) rows.Rows.push_back(FromWire(row.values()));
    return rows;
}

void ToWire(const std::vector<TFieldDef>& defs, google::protobuf::RepeatedPtrField<FieldDef>& wire) {
    for (const TFieldDef& def : defs) {
        FieldDef& field = *wire.Add();
        field.set_name(def.Name);
        field.set_type(static_cast<int>(def.Type));
    }
}

void AddFields(const google::protobuf::RepeatedPtrField<FieldDef>& wire, TClientDataSet& target) {
    for (const FieldDef& field : wire) {
        if (field.type() < 0 || field.type() > static_cast<int>(TFieldType::ftDateTime))
            throw std::invalid_argument("Непознат тип на полето '" + field.name() + "'");
        target.AddField(field.name(), static_cast<TFieldType>(field.type()));
    }
}

void ToWire(const TClientDataSet& data, int firstRow, bool withFields, DataSet& wire) {
    if (withFields) ToWire(data.FieldDefs(), *wire.mutable_fields());
    const int count = data.RawRecordCount();
    wire.mutable_rows()->Reserve(count - firstRow);
    for (int i = firstRow; i < count; ++i) ToWire(data.RawRecord(i), *wire.add_rows()->mutable_values());
}

int FromWire(const DataSet& wire, bool opens, TClientDataSet& target) {
    if (opens) {
        target.Close();
        if (target.FieldCount() == 0) AddFields(wire.fields(), target);
        target.CreateDataSet();
    }
    for (const Row& row : wire.rows()) target.AppendLoaded(FromWire(row.values()));
    if (opens) target.First();
    return wire.rows_size();
}

void ToWire(const TUpdatePacket& packet, Packet& wire) {
    wire.set_provider(packet.Provider);
    if (packet.DataSet == nullptr) return;
    ToWire(packet.DataSet->FieldDefs(), *wire.mutable_fields());
    for (const TDeltaRecord& record : packet.DataSet->Delta()) {
        DeltaRecord& delta = *wire.add_records();
        delta.set_status(static_cast<int>(record.Status));
        ToWire(*record.Values, *delta.mutable_values()->mutable_values());
        if (record.Original != nullptr) ToWire(*record.Original, *delta.mutable_original()->mutable_values());
    }
}

namespace {

void SetValues(TClientDataSet& data, const TVariantArray& values) {
    for (int i = 0; i < data.FieldCount() && i < static_cast<int>(values.size()); ++i)
        data.Fields(i).SetValue(values[static_cast<size_t>(i)]);
}

// A record the server gave, then changed or deleted as the client did, so that the log
// holds it with the client's original values.
void Replay(const DeltaRecord& record, TClientDataSet& data) {
    const auto status = static_cast<TUpdateStatus>(record.status());
    const TVariantArray values = FromWire(record.values().values());
    if (status == TUpdateStatus::usInserted) {
        data.Append();
        SetValues(data, values);
        data.Post();
        return;
    }
    data.AppendLoaded(record.has_original() ? FromWire(record.original().values()) : values);
    data.GotoRawIndex(data.RawRecordCount() - 1);
    if (status != TUpdateStatus::usDeleted && status != TUpdateStatus::usModified)
        throw std::invalid_argument("Непознато състояние на запис в пакета за '" + data.Name + "'");
    // A deleted record keeps the values it last had, as the client's log does.
    data.Edit();
    SetValues(data, values);
    data.Post();
    if (status == TUpdateStatus::usDeleted) data.Delete();
}

}  // namespace

std::unique_ptr<TClientDataSet> ChangesFromWire(const Packet& wire) {
    auto data = std::make_unique<TClientDataSet>(wire.provider());
    AddFields(wire.fields(), *data);
    data->CreateDataSet();
    for (const DeltaRecord& record : wire.records()) Replay(record, *data);
    return data;
}

void ToWire(const TUserRights& rights, google::protobuf::RepeatedPtrField<Right>& wire) {
    for (const auto& [form, mask] : rights.Masks()) {
        Right& right = *wire.Add();
        right.set_form(form);
        right.set_mask(mask);
    }
}

TUserRights FromWire(const google::protobuf::RepeatedPtrField<Right>& wire) {
    TUserRights rights;
    for (const Right& right : wire) rights.Grant(right.form(), static_cast<TUserRights::TMask>(right.mask()));
    return rights;
}

}  // namespace tavrek::net
