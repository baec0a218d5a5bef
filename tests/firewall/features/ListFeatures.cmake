# The firewall's list features: program permissions, ports and system services,
# net guard and network connections.


tarn_add_test(NAME features_lists_payload_test OWN_MAIN
  SOURCES ListPayloadsTest.cpp LIBS tarn_firewall)

if(TARGET BxFWConfig AND TARGET MessageBus)
  tarn_add_test(NAME features_lists_handler_test OWN_MAIN
    SOURCES ListHandlersTest.cpp LIBS tarn_firewall
    DEPENDS BxFWConfig MessageBus
    RESOURCE_LOCK bxfw_kit TIMEOUT 300)
endif()
