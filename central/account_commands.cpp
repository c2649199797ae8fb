#include "central/account_commands.h"

#include <filesystem>

#include "base/text.h"
#include "central/central_database.h"
#include "central/false_report_store.h"
#include "central/report_store.h"
#include "db/sqlite_error.h"

namespace dovel::central {
namespace {

int report_change(AccountStore::Change change, const std::string& id, const std::string& problem, const char* done, std::ostream& out,
                  std::ostream& errors) {
  switch (change) {
    case AccountStore::Change::Done: out << done << ' ' << id << '\n'; return 0;
    case AccountStore::Change::NoSuchAccount: errors << "dovel-central: no account " << id << '\n'; return 1;
    case AccountStore::Change::AlreadyExists: errors << "dovel-central: account " << id << " exists already\n"; return 1;
    case AccountStore::Change::Invalid: errors << "dovel-central: " << problem << '\n'; return 1;
  }
  return 1;
}

void list_accounts(AccountStore& accounts, std::ostream& out) {
  out << "serial\tid\tlabel\tlevel\tadult\ttransfer\tprivilege_a\tprivilege_b\twarning_level\tsuspension_kind\textra\tpoints\twarning_text\n";
  for (const Account& a : accounts.list()) {
    out << a.serial << '\t' << a.user_id << '\t' << a.label << '\t' << a.member_level << '\t' << (a.adult ? 1 : 0) << '\t' << int{a.transfer_flag}
        << '\t' << int{a.privilege_a} << '\t' << int{a.privilege_b} << '\t' << int{a.warning_level} << '\t' << int{a.suspension_kind} << '\t'
        << int{a.extra_flag} << '\t' << a.points << '\t' << a.warning_text << '\n';
  }
}

void list_reports(ReportStore& reports, std::ostream& out) {
  out << "reported_at\treporter\tserial\towners\tfile\tsize\treceived\n";
  for (const StoredReport& r : reports.list()) {
    out << r.reported_at << '\t' << r.reporter << '\t' << r.report.account_serial << '\t' << base::join(r.report.owners, ",") << '\t'
        << r.report.file_name << '\t' << r.report.size << '\t' << r.report.received << '\n';
  }
}

void list_false_reports(FalseReportStore& false_reports, std::ostream& out) {
  out << "hash\tfalse_reports\n";
  for (const FalseReportCount& entry : false_reports.list()) out << entry.hash << '\t' << entry.count << '\n';
}

}  // namespace

int run_account_command(const Command& command, std::ostream& out, std::ostream& errors) {
  try {
    std::filesystem::create_directories(command.home);
    CentralDatabase database(command.home);
    AccountStore accounts(database);
    std::string problem;
    switch (command.kind) {
      case Command::Kind::UserAdd: {
        AccountStore::Change change = accounts.add(command.new_account, &problem);
        return report_change(change, base::ascii_lower(command.new_account.user_id), problem, "added", out, errors);
      }
      case Command::Kind::UserSet:
        return report_change(accounts.update(command.user_id, command.changes, &problem), command.user_id, problem, "changed", out, errors);
      case Command::Kind::UserDelete: return report_change(accounts.remove(command.user_id), command.user_id, problem, "deleted", out, errors);
      case Command::Kind::UserList: list_accounts(accounts, out); return 0;
      case Command::Kind::Reports: {
        ReportStore reports(database);
        list_reports(reports, out);
        return 0;
      }
      case Command::Kind::FalseReportSet: {
        FalseReportStore false_reports(database);
        false_reports.set(command.hash, command.false_reports);
        out << "false reports of " << command.hash << ": " << command.false_reports << '\n';
        return 0;
      }
      case Command::Kind::FalseReportList: {
        FalseReportStore false_reports(database);
        list_false_reports(false_reports, out);
        return 0;
      }
      case Command::Kind::Serve: break;
    }
  } catch (const std::exception& error) {
    errors << "dovel-central: " << error.what() << '\n';
  }
  return 1;
}

}  // namespace dovel::central
