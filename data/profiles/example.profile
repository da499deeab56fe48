# An aircraft profile: a four-cylinder carbureted trainer with its manifold pressure on aux 1.
# One setting a line, "name = value"; '#' starts a comment. Any setting left out keeps its
# default (default.profile beside this file lists them).
#
#   orvexdecode-info --profile example.profile flight.LOG

# The aircraft
tail = N172AB
cylinders = 4              # 1 to 6
horsepower = 180           # rated
induction = carbureted     # or injected
fuel_capacity = 53 gal     # usable fuel, gal or L

# The aux inputs of the engine monitor: auxN = QUANTITY [/ number | * number], the quantity
# being the input's value divided or multiplied by the number. The quantities are
# manifold_pressure_inhg, fuel_pressure_psi and none.
aux1 = manifold_pressure_inhg / 10

# The flight phases: a slower aircraft lifts off sooner. The others keep their defaults.
liftoff_speed = 50 kt
approach_height = 1000 ft

# Limits, written as in a limits file: checked as --limits checks them (a --limits file
# replaces those of the same parameter and condition).
cht_max = 500 F
egt_span_max = 150
oil_temperature_max = 245 F
oil_pressure_min = 25 psi when rpm > 1000
rpm_max = 2700
