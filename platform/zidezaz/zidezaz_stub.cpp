// Placeholder until the database and calculator land: every call fails.
#include "platform/zidezaz/zidezaz.h"

int SEKT_DB_Open(const char*, int) { return -1; }
int SEKT_DB_Close(int) { return -1; }
int SEKT_DB_GetProject(int, const char*, int) { return -1; }
int SEKT_DB_AddProject(int, const char*, int) { return -1; }
int SEKT_DB_SetProject(int, const char*, int) { return -1; }
int SEKT_DB_DeleteProject(int, const char*) { return -1; }
int SEKT_DB_Save(int, const char*) { return -1; }
int SEKT_DB_GetFilePath(int, char*, int) { return -1; }
int SEKT_DB_GetFirstFolderMember(int, const char*, char*, int) { return -1; }
int SEKT_DB_GetNextFolderMember(int, char*, int) { return -1; }
int SEKT_PRO_Create(void) { return -1; }
int SEKT_PRO_Init(int, int) { return -1; }
int SEKT_PRO_Delete(int) { return -1; }
int SEKT_PRO_GetType(int) { return -1; }
int SEKT_PRO_GetnWLine(int) { return -1; }
int SEKT_PRO_GetWLine(int, int, SektWLine*) { return -1; }
int SEKT_PRO_AddWLine(int, SektWLine) { return -1; }
int SEKT_PRO_GetWLineGroup(int, int, SektWLineGroup*) { return -1; }
int SEKT_PRO_SetWLineGroup(int, int, int, const SektWLineGroup*) { return -1; }
int SEKT_PRO_GetWLineParam(int, int, SektWLineParam*) { return -1; }
int SEKT_PRO_SetWLineParam(int, int, const SektWLineParam*) { return -1; }
int SEKT_PRO_Move(int, double, double) { return -1; }
int SEKT_PRO_Calculate(int) { return -1; }
int SEKT_PRO_GetResultGqs(int, SektGqs*) { return -1; }
int SEKT_PRO_GetResultSqs(int, SektSqs*) { return -1; }
int SEKT_PRO_GetnTqs(int) { return -1; }
int SEKT_PRO_GetResultTqs(int, int, SektTqs*) { return -1; }
int SEKT_PRO_GetnTqe(int, int) { return -1; }
int SEKT_PRO_GetResultTqe(int, int, int, SektTqe*) { return -1; }
int SEKT_PRO_GetDrawingPoints(int, SektDrawPoint*, int*) { return -1; }
int ZAZUZER_RefPoint(int, ZazRefPoint*) { return -1; }
namespace zidezaz {
double RolledISectionTorsion(double, double, double, double, double) { return 0; }
}
