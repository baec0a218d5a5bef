# The firewall's settings groups and small services: security level, smart
# advice, history, intrusion detection, defaults, user state, the file dialog
# and the trust level of networks.


tarn_add_test(NAME features_settings_unit_test OWN_MAIN
  SOURCES SettingsTestMain.cpp SettingsPayloadsTest.cpp SettingsResponsesTest.cpp OwnerWindowTest.cpp
  LIBS tarn_firewall)

if(TARGET BxFWConfig)
  tarn_add_test(NAME features_settings_handler_test OWN_MAIN
    SOURCES SettingsTestMain.cpp SettingsHandlersTest.cpp ServiceHandlersTest.cpp
    LIBS tarn_firewall advapi32
    DEPENDS BxFWConfig
    RESOURCE_LOCK bxfw_kit TIMEOUT 300)
endif()
