# The default aircraft profile: what orvexdecode-info, orvexdecode-report and orvexdecode-export
# use when no --profile is given. Every setting below is at its built-in value (a test keeps
# the two alike); copy the file, or example.profile, to describe an aircraft.
#
# The aircraft. Without a "cylinders" line the cylinders fitted are those the LOG's settings
# give (setting 58), else 6. No tail, horsepower, induction or fuel capacity is assumed.
#   tail = N123AB
#   cylinders = 4
#   horsepower = 180
#   induction = carbureted
#   fuel_capacity = 53 gal

# What the engine monitor's aux inputs carry: nothing known.
aux1 = none
aux2 = none
aux3 = none
aux4 = none
aux5 = none
aux6 = none

# The flight phases.
liftoff_speed = 55 kt      # airborne at this speed (IAS, else GPS ground speed) or more ...
liftoff_time = 5 s         # ... once it has lasted this long
touchdown_time = 3 s       # on the ground again after this long below liftoff_speed
taxi_speed = 15 kt         # the landing roll ends below this ground speed
moving_speed = 2 kt        # standing still below this ground speed
runup_rpm = 1500           # standing still at this engine speed or more: the run-up ...
runup_time = 5 s           # ... once it has lasted this long
takeoff_rpm = 1600         # the takeoff roll: this engine speed or more, rolling, up to lift-off
climb_rate = 300 fpm       # climbing at this vertical speed or more, descending below its negative
climb_time = 10 s          # a climb, a level stretch (cruise) and a descent begin once they
cruise_time = 15 s         # have lasted this long
descent_time = 10 s
approach_height = 1000 ft  # the approach: below this height above the landing point

# No limits (see the LIMITS FILE section of orvexdecode-info(1) for their lines).
