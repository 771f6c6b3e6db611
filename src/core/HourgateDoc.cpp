#include "doc/HourgateDoc.h"

#include "app/Platform.h"
#include "doc/ProgramDirectory.h"

void CHourgateDoc::UpdateProgramDirectory() {
    m_strProgramDirectory = ProgramDirectoryOf(m_platform.ExecutablePath(),
                                               m_platform.PathSeparator(), m_platform.LeadBytes());
}
