// Program permission requests:
//   add    {"program_filename": text, "permission": 0..2, "access": 0..2, "net_guard": "on" | "off"}
//   edit   the add's members but "program_id" (number) in place of "program_filename"
//   delete {"program_ids": "12,15"}
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Add_proginternetconn_payload : public Request {
 public:
  using Request::Request;
  // The program file (VT_BSTR).
  bool get_program_filepath(Ledra::ScopedVariant& fileName) const {
    return read(fields::kProgramFile, fileName);
  }
  // 0..2 (VT_I4); any other value writes -1 and is refused.
  bool get_program_permission(Ledra::ScopedVariant& permission) const {
    return read(fields::kPermission, permission);
  }
  // The program's scope, 0..2 (VT_I4); refused like the permission.
  bool get_program_scope(Ledra::ScopedVariant& scope) const { return read(fields::kScope, scope); }
  // "on" writes 1, "off" 0 (VT_I4); any other word is refused and writes nothing.
  bool get_program_ipreputationn(Ledra::ScopedVariant& netGuard) const {
    return read(fields::kProgramNetGuard, netGuard);
  }
};

class Edit_proginternetconn_payload : public Add_proginternetconn_payload {
 public:
  using Add_proginternetconn_payload::Add_proginternetconn_payload;
  // The entry to change (VT_I4).
  bool get_programid(Ledra::ScopedVariant& programId) const { return read(fields::kProgramId, programId); }
};

class Delete_proginternetconn_payload : public Edit_proginternetconn_payload {
 public:
  using Edit_proginternetconn_payload::Edit_proginternetconn_payload;
  // The ids to remove as an array of VT_I4.
  bool get_programids(Ledra::ScopedVariant& programIds) const {
    return read(fields::kProgramIds, programIds);
  }
};

}  // namespace Brenix
