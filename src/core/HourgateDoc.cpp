#include "core/HourgateDoc.h"

#include "core/Platform.h"
#include "core/ProgramDirectory.h"

void CHourgateDoc::UpdateProgramDirectory() {
    m_strProgramDirectory = ProgramDirectoryOf(m_platform.ExecutablePath(),
                                               m_platform.PathSeparator(), m_platform.LeadBytes());
}
