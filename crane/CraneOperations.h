// The crane-runway calculation's operations on the position data: crane
// positions, wheel loads and load cases of the checks, the local wheel-load
// check and its points of interest, the fatigue and rail-weld checks, the
// superposition of each kernel run, node stresses, plate buckling and the
// support reactions. The position data reaches the calculation through the
// crane road (module/CraneRoad.h) that RegisterCraneRoad installs.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "module/ModuleData.h"

struct FER_VaduLocalInput;
struct FER_VaduLocalSection;

// Installs this folder's crane road for the position data (the module
// library does so when it is loaded; programs that link the crane folder
// on its own call it once).
void RegisterCraneRoad();

// The calculation of a crane runway: every enabled check, the report.
CRecalcResult RecalcCraneRunway(CModuleData& data, int bReport, int bRedraw);

// The crane positions along the runway (kept within the list, the current
// one's variables set).
void GenerateCranePositions(CModuleData& d);
// The steel-check section table from the girder's sections.
void PrepareSteelCheckSections(CModuleData& d);
// Appends crane c's loads of the groups whose check class is in mask:
// per axle one load per wheel-load component at "pos<c>+<offset>", one
// load case per group that gave loads (name in names, six reaction
// factors in ratios: the reduced-phi ratios with "bDecReactions", else
// 1.0). The loads of the ordinary groups go to actionOrdinary, those of the
// accidental groups to their own actions (AccidentalAction). nextLoadCase
// counts on.
void AppendCraneLoads(CModuleData& d, int crane, std::vector<CLoadDef>& loads, int checkMask, int actionOrdinary,
                      int& nextLoadCase, std::vector<std::string>& names, std::vector<double>& ratios, double ey,
                      double ez);
// The number of accidental actions of a run with the given number of cranes
// (at most three): one per accidental load group and crane.
int AccidentalActionCount(int cranes);
// The action of accidental load group g (8: buffer forces, 9: tilting force)
// of crane c (from 0): each accidental group of each crane is an accidental
// action of its own, so that an accidental combination holds exactly one of
// them (EN 1990 6.4.3.3: one accidental action per combination; EN 1991-3
// Table 2.2: groups 9 and 10 are separate load arrangements). Crane 1's
// buffer forces take action 2, every other group the actions after the
// three crane actions (6, 7, ...); -1 for any other group.
int AccidentalAction(int crane, int group);
// The user's system points in the slots of the local check's record
// (nothing while the points are placed automatically).
void FillFER_VaduLocalResultWithPOI(CModuleData& d, FER_VaduLocalSection& record);
// Places the system points of interest from the local check.
void CalcCraneLocalEffects(CModuleData& d);
// Empty when the fatigue check can run on the input, else the message
// that names the point of interest or crane at fault (detail index,
// stress type, crane class, gamma_Mf, more than three cranes).
std::string CheckFatigueInput(const CModuleData& d);
// The fatigue check of check 4 over the stress points, cranes and nodes
// of the cranes' fatigue tables: the fatigue detail table, the
// utilisations and interactions in the fatigue tables and the check's
// envelope. False when the input was refused (nothing checked, the
// detail table empty) or local stresses could not be formed at a point;
// a point whose fatigue table has section forces but no stresses is
// named in a message.
bool CalcFatigue(CModuleData& d);
// The panel length of the crane checks at x in m: the length of the field
// that holds x divided by its number of buckling fields (at least 1).
double GetPanelLength(const CModuleData& d, double x);
// The rail-weld check under each wheel of each crane at each crane
// position for the groups of checks 0 to 2, into the rail-weld table.
void CalcRailWeld(CModuleData& d);
// The five actions of a run for check bit 1, 2, 4, 8 or 16 (permanent,
// accidental, one alternative action per crane) with their combination
// factors and partial factors, and the combination kinds of the bit.
void DefineCraneActions(CModuleData& d, int checkBit);
// The self weights of a run in one load case "G" (girder, rail for a
// crane on top, additional load); six reaction factors 1.0 for it.
void AddSelfWeightLoads(CModuleData& d, std::vector<CLoadDef>& loads, int& nextLoadCase, std::vector<std::string>& names);
// The loads, load cases and combinations of crane check 0..4: load cases
// are numbered from nextLoadCase on (their names in names), and every
// load case is combined once with the factor 1.00. ey and ez, when
// given, receive each crane's lateral eccentricity and vertical lever in
// cm.
void PrepareLoadCases(CModuleData& d, int check, int& nextLoadCase, std::vector<std::string>& names,
                      std::vector<double>* ey = nullptr, std::vector<double>* ez = nullptr);
// The path label and unit of result row `row` of a run with the given
// stress points; the RTF label of the report's summary (crossSection:
// the utilisation is the cross-section's with "plasticLTB").
void GetResultLabel(const CModuleData& d, int row, int check, std::string& label, std::string& unit,
                    const std::vector<std::string>& points);

void GetResultLabelRtf(const CModuleData& d, int row, int check, bool crossSection, std::string& label, std::string& unit,
                       const std::vector<std::string>& points);
// Marks the result rows that do not apply to the check with -1 in the
// table's value index (which grows as needed).
void MaskResultRows(const CModuleData& d, CResultTable& set, int check);
// The proof-type switches of the buckling runs of check 0..2, the
// combinations generated again, every load's "ey" reset.
void PrepareCheckRun(CModuleData& d, int check);
// True when the calculation is to stop: force 0 asks the user first
// (anything but yes goes on); stopping clears every result of the run and
// the input fingerprint and sets the message text.
bool CancelCalculation(CModuleData& d, int force);
// The message text from the check summary, as plain text.
void BuildCalcMessage(CModuleData& d);
// Value ids 29, 30, 31 (smallest and largest normal stress, largest
// shear stress, N/mm²) of every node of the table's load case `slot`
// from its section forces (ids 11 to 17) and the stress-point block;
// nothing without ids 11 and 29 or when the node counts differ.
void CalcNodeStresses(CModuleData& d, CResultTable& table, int slot);
// The local wheel-load values of the evaluation points (kind 1 and up)
// in the check's envelope table become their largest magnitude along
// the girder, per slot (and in the cranes' fatigue tables for check 4).
void ApplyMaxAbsEnvelope(CModuleData& d, int check);
// Plate buckling of every enabled plate in every field and check of the
// plate stress table ("util", "maxFrom", "utilFib", "utilFy").
void CalcPlateBuckling(CModuleData& d);
// Appends the plate-buckling curves of check 0..2 (when it is enabled):
// per enabled plate, their envelope, flange-induced buckling and the
// resistance to the wheel load, two points per field.
void AddPlateBucklingResults(const CModuleData& d, int check, std::vector<CResultSet>& list);
// The x of the supports with at least one restraint not 0, in order
// (support k lies at the sum of the field lengths 0..k).
std::vector<double> GetRestrainedSupportX(const CModuleData& d);
// Superposes the kernel run of crane check 0..4 at crane position
// `position` (from 0): mode 1 a run of the check (loadCases load cases,
// named in names), mode 3 a lateral-torsional buckling run; any other
// mode only releases the work table. log, when open, gets one line per
// node and load case of checks 0..3. The value ids and the envelope
// layouts are those of crane/CraneResults.h.
void SuperposeCraneResults(CModuleData& d, int check, int mode, int loadCases, int position, const std::vector<std::string>& names,
                           std::FILE* log);
// Stores the six reactions of a state as extreme `extreme` (0..5 maxima,
// 6..11 minima of Ax .. Mz) of support `support` in group 0..3, with the
// load case's name (at most 9 characters) and the crane position.
void StoreReaction(CModuleData& d, int support, int extreme, int group, const double* values, const std::string& name,
                   int position);

// The local-check input of axle `axis` of crane's group g with its neighbour
// axle (-1: none, neighbour load and spacing 0). rail: the rail's values
// when the caller has them (null: taken from the module's rail).
void FillVaduLocalInput(const CCrane& crane, const CModuleData& module, FER_VaduLocalInput& record, int group,
                        int axis, int neighbour, const CRailValues* rail = nullptr);
// Adds the local wheel-load stresses of the crane at crane position x,
// load case n, to the points of pointX (within 0.01): results holds per
// point 2 values (crane type 0: sigma_oz, tau) or 12 (else: per slot s
// sigma_oy at 2s and sigma_ox at 2s+1) and is enlarged as needed; with
// crane type non-zero slotIds/slotKinds (if given) receive the slots'
// plate ids and kinds 3, 3, 4, 4, 5, 5.
void CalcLocalWheelLoadEffects(const CCrane& crane, CModuleData& module, double x, int loadCase,
                               const std::vector<double>& pointX, std::vector<double>& results,
                               std::vector<int>* slotIds, std::vector<int>* slotKinds);
