#include "core/HourgateDoc.h"

#include "core/Platform.h"

void CHourgateDoc::UpdateProgramDirectory() {
    m_strProgramDirectory = m_platform.StateDirectory();
    m_strConfigDirectory = m_platform.ConfigurationDirectory();
}
