// Builds the standard profile catalogue (a section database) from the table
// of published dimensions:
//   make_profil_skw <dimension table> <output .skw>
// Each profile is an I of three wall lines in cm: the flanges along their
// centre lines, the web between the flange centre lines with the root radius
// at both ends; z points down, the web centre line is y = 0 and the web's
// mid-height z = 0.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

struct Row {
    std::string series, name;
    double h, bo, to, bu, tu, tw, r;
};

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        } else if (c != '\r') {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

bool ParseRow(const std::string& line, Row& r, std::string& err) {
    const auto f = Split(line, ';');
    if (f.size() != 9) {
        err = "9 fields expected";
        return false;
    }
    r.series = f[0];
    r.name = f[1];
    if (r.series.empty() || r.name.empty() || r.name.find('\\') != std::string::npos ||
        r.series.find('\\') != std::string::npos) {
        err = "series and name must be given and hold no backslash";
        return false;
    }
    double* v[] = {&r.h, &r.bo, &r.to, &r.bu, &r.tu, &r.tw, &r.r};
    for (size_t i = 0; i < 7; ++i) {
        size_t used = 0;
        const auto d = winsys::ParseDouble(f[i + 2], &used);
        if (!d || used != f[i + 2].size()) {
            err = "not a number: '" + f[i + 2] + "'";
            return false;
        }
        *v[i] = *d;
    }
    if (!(r.h > 0 && r.bo > 0 && r.to > 0 && r.bu > 0 && r.tu > 0 && r.tw > 0 && r.r >= 0) ||
        !(r.to + r.tu + 2 * r.r < r.h) || !(r.tw + 2 * r.r < std::min(r.bo, r.bu))) {
        err = "dimensions do not form an I-section";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_profil_skw <dimension table> <output .skw>\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "make_profil_skw: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::vector<Row> rows;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#' || line == "\r") continue;
        Row r{};
        std::string err;
        if (!ParseRow(line, r, err)) {
            std::cerr << argv[1] << ":" << lineNo << ": " << err << "\n";
            return 1;
        }
        rows.push_back(r);
    }
    const std::string tmp = std::string(argv[2]) + ".new";
    std::error_code ec;
    std::filesystem::remove(tmp, ec);
    const int db = SEKT_DB_Open(tmp.c_str(), 3);
    if (db < 0) {
        std::cerr << "make_profil_skw: cannot create " << tmp << "\n";
        return 1;
    }
    for (const Row& r : rows) {
        const double h = r.h / 10, bo = r.bo / 10, to = r.to / 10, bu = r.bu / 10, tu = r.tu / 10,
                     tw = r.tw / 10, rr = r.r / 10;
        const double hs = h - to / 2 - tu / 2;
        const int p = SEKT_PRO_Create();
        SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-bo / 2, -hs / 2, bo / 2, -hs / 2, to));
        SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-bu / 2, hs / 2, bu / 2, hs / 2, tu));
        SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, -hs / 2, 0, hs / 2, tw, rr, rr));
        if (SEKT_PRO_Calculate(p) != 1) {
            std::cerr << "make_profil_skw: " << r.name << " gives no section values\n";
            return 1;
        }
        const std::string path = "\\" + r.series + "\\" + r.name;
        if (SEKT_DB_AddProject(db, path.c_str(), p) != 0) {
            std::cerr << "make_profil_skw: cannot store " << path << "\n";
            return 1;
        }
        SEKT_PRO_Delete(p);
    }
    if (SEKT_DB_Save(db, nullptr) != 0) return 1;
    SEKT_DB_Close(db);
    std::filesystem::rename(tmp, argv[2], ec);
    if (ec) {
        std::cerr << "make_profil_skw: cannot write " << argv[2] << ": " << ec.message() << "\n";
        return 1;
    }
    std::cout << "make_profil_skw: " << rows.size() << " profiles\n";
    return 0;
}
